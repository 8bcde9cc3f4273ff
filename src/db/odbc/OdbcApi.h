#pragma once

// The ODBC headers, the same way on every platform. Windows' headers need <windows.h> first. Under
// UNICODE they would also turn a call such as SQLExecDirect into SQLExecDirectW; SQL_NOUNICODEMAP
// keeps every name meaning the one function it names, so the code says which calls it makes.

#include <QtGlobal>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

#ifndef SQL_NOUNICODEMAP
#define SQL_NOUNICODEMAP
#endif

#include <sql.h>
#include <sqlext.h>
#include <sqltypes.h>
#include <sqlucode.h>
