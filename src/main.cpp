#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tandel Zurozurov Irod"));
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Tandel Zurozurov Irod"));
    w.resize(630, 470);
    w.show();
    return app.exec();
}
