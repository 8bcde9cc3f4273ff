#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Mirtane"));
    window.setWindowTitle(QStringLiteral("Mirtane"));
    window.resize(640, 400);
    window.show();
    return app.exec();
}
