// A stand-in for the program in the single-instance tests: takes the instance named on the
// command line, says which role it got, and reports every activation request it receives.
#include <QCoreApplication>
#include <QTextStream>

#include "platform/MessageHub.h"
#include "platform/SingleInstance.h"
#include "ports/WindowMessages.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        return 2;
    }
    QTextStream out(stdout);
    ms1::MessageHub hub;
    hub.SetHandler([&out](const ms1::Message& message) {
        if (message.number == ms1::MSG_ACTIVATE_INSTANCE) {
            out << "activated" << Qt::endl;
        }
        return true;
    });
    ms1::SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    instance.SetActivationTarget(&hub);
    switch (instance.Acquire()) {
        case ms1::SingleInstance::Role::First:
            out << "first" << Qt::endl;
            return app.exec();
        case ms1::SingleInstance::Role::Second:
            out << "second" << Qt::endl;
            return 1;
        case ms1::SingleInstance::Role::Failed:
            return 3;
    }
    return 3;
}
