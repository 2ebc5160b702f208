#include "app/commandline.h"
#include "app/startup.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // Listing and exporting need no display: the platform is chosen before the
    // application object exists, so none is asked for.
    if (CommandLine::worksWithoutWindows(argc, argv)) CommandLine::prepareWithoutWindows();
    QApplication app(argc, argv);
    const int status = CommandLine::run(QApplication::arguments());
    if (status != CommandLine::StartWindows) return status;
    if (!Application::startUp()) return 1;
    return app.exec();
}
