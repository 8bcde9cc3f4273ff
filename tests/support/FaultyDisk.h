#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>

#include <sqlite3.h>

namespace support {

/// A disk that fails on demand: while it lives, SQLite files opened afterwards go through it to the
/// real file system, and once failWritesTo() names a path, every write, sync and truncation of the
/// files whose path starts with it fails with SQLite's I/O error, as a disk that turned read-only
/// or broke does. Connections opened through it must close before it is destroyed.
class FaultyDisk {
public:
    FaultyDisk()
        : m_real(sqlite3_vfs_find(nullptr))
        , m_vfs(*m_real)
    {
        m_vfs.zName = "mirtane-faulty-disk";
        m_vfs.szOsFile = int(sizeof(File)) + m_real->szOsFile;
        m_vfs.pAppData = this;
        m_vfs.xOpen = &open;
        sqlite3_vfs_register(&m_vfs, 1);
    }
    ~FaultyDisk()
    {
        sqlite3_vfs_unregister(&m_vfs);
        sqlite3_vfs_register(m_real, 1);
    }
    FaultyDisk(const FaultyDisk&) = delete;
    FaultyDisk& operator=(const FaultyDisk&) = delete;

    /// From now on writes to files whose path starts with `path` fail ("" heals the disk).
    void failWritesTo(const QString& path) { m_failing = QDir::fromNativeSeparators(path); }

private:
    struct File {
        sqlite3_file base;
        FaultyDisk* disk;
        const char* path; ///< valid until xClose, as SQLite promises
        sqlite3_file* real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
        bool failing() const
        {
            // SQLite names the file with the system's separators: backslashes on Windows, where case does not count.
            return !disk->m_failing.isEmpty() && path
                && QDir::fromNativeSeparators(QString::fromUtf8(path)).startsWith(disk->m_failing, pathCase);
        }
    };
    static File* of(sqlite3_file* file) { return reinterpret_cast<File*>(file); }

    static int open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags)
    {
        auto* disk = static_cast<FaultyDisk*>(vfs->pAppData);
        File* own = of(file);
        own->disk = disk;
        own->path = name;
        const int rc = disk->m_real->xOpen(disk->m_real, name, own->real(), flags, outFlags);
        own->base.pMethods = rc == SQLITE_OK && own->real()->pMethods ? &methods : nullptr;
        return rc;
    }
    static int close(sqlite3_file* f) { return of(f)->real()->pMethods->xClose(of(f)->real()); }
    static int read(sqlite3_file* f, void* b, int n, sqlite3_int64 o) { return of(f)->real()->pMethods->xRead(of(f)->real(), b, n, o); }
    static int write(sqlite3_file* f, const void* b, int n, sqlite3_int64 o)
    {
        return of(f)->failing() ? SQLITE_IOERR_WRITE : of(f)->real()->pMethods->xWrite(of(f)->real(), b, n, o);
    }
    static int truncate(sqlite3_file* f, sqlite3_int64 size)
    {
        return of(f)->failing() ? SQLITE_IOERR_TRUNCATE : of(f)->real()->pMethods->xTruncate(of(f)->real(), size);
    }
    static int sync(sqlite3_file* f, int flags) { return of(f)->failing() ? SQLITE_IOERR_FSYNC : of(f)->real()->pMethods->xSync(of(f)->real(), flags); }
    static int fileSize(sqlite3_file* f, sqlite3_int64* size) { return of(f)->real()->pMethods->xFileSize(of(f)->real(), size); }
    static int lock(sqlite3_file* f, int l) { return of(f)->real()->pMethods->xLock(of(f)->real(), l); }
    static int unlock(sqlite3_file* f, int l) { return of(f)->real()->pMethods->xUnlock(of(f)->real(), l); }
    static int checkReserved(sqlite3_file* f, int* out) { return of(f)->real()->pMethods->xCheckReservedLock(of(f)->real(), out); }
    static int fileControl(sqlite3_file* f, int op, void* arg) { return of(f)->real()->pMethods->xFileControl(of(f)->real(), op, arg); }
    static int sectorSize(sqlite3_file* f) { return of(f)->real()->pMethods->xSectorSize(of(f)->real()); }
    static int device(sqlite3_file* f) { return of(f)->real()->pMethods->xDeviceCharacteristics(of(f)->real()); }
    static int shmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out)
    {
        return of(f)->real()->pMethods->xShmMap(of(f)->real(), page, size, extend, out);
    }
    static int shmLock(sqlite3_file* f, int offset, int n, int flags) { return of(f)->real()->pMethods->xShmLock(of(f)->real(), offset, n, flags); }
    static void shmBarrier(sqlite3_file* f) { of(f)->real()->pMethods->xShmBarrier(of(f)->real()); }
    static int shmUnmap(sqlite3_file* f, int remove) { return of(f)->real()->pMethods->xShmUnmap(of(f)->real(), remove); }
    static int fetch(sqlite3_file* f, sqlite3_int64 o, int n, void** out) { return of(f)->real()->pMethods->xFetch(of(f)->real(), o, n, out); }
    static int unfetch(sqlite3_file* f, sqlite3_int64 o, void* p) { return of(f)->real()->pMethods->xUnfetch(of(f)->real(), o, p); }

    static inline const sqlite3_io_methods methods = {3,        &close,   &read,          &write,       &truncate, &sync,
                                                      &fileSize, &lock,   &unlock,        &checkReserved, &fileControl, &sectorSize,
                                                      &device,  &shmMap, &shmLock,       &shmBarrier,  &shmUnmap, &fetch,
                                                      &unfetch};

    sqlite3_vfs* m_real;
    sqlite3_vfs m_vfs;
#ifdef Q_OS_WIN
    static constexpr Qt::CaseSensitivity pathCase = Qt::CaseInsensitive;
#else
    static constexpr Qt::CaseSensitivity pathCase = Qt::CaseSensitive;
#endif
    QString m_failing;
};

} // namespace support
