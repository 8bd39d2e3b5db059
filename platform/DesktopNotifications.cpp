#include "platform/DesktopNotifications.h"

#include <QAtomicInteger>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMetaObject>
#include <QMutex>
#include <QVariantMap>

#include "platform/DebugLog.h"

namespace ms1 {
namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
// The daemon decides how long a notification stays.
constexpr int kDaemonsTimeout = -1;
// The desktop entry the daemon may look up the program's name and icon in.
constexpr const char* kDesktopEntry = "net.ms1.ms1";

QString NextConnectionName() {
    static QAtomicInteger<int> count;
    return QStringLiteral("ms1-notifications-%1").arg(count.fetchAndAddRelaxed(1));
}

}  // namespace

// The part that lives on the notifications' thread: the bus connection and the calls.
class NoticeSender : public QObject {
  public:
    NoticeSender(QString appName, QString iconName, QString busAddress)
        : appName_(std::move(appName)),
          iconName_(std::move(iconName)),
          busAddress_(std::move(busAddress)),
          connectionName_(NextConnectionName()) {}
    ~NoticeSender() override {
        if (connected_)
            QDBusConnection::disconnectFromBus(connectionName_);
    }

    void SetOnAnswer(DesktopNotifications::Answer onAnswer) {
        QMutexLocker lock(&mutex_);
        onAnswer_ = std::move(onAnswer);
    }

    void Send(const QString& summary, const QString& body) {
        QDBusConnection bus = Connection();
        if (!bus.isConnected()) {
            Answered(false, QStringLiteral("no session bus: ") + bus.lastError().message());
            return;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
        const QVariantMap hints{{QStringLiteral("desktop-entry"), QString(kDesktopEntry)}};
        call << appName_ << 0u << iconName_ << summary << body << QStringList() << hints
             << kDaemonsTimeout;
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher* finished) {
                    const QDBusPendingReply<uint> reply = *finished;
                    Answered(!reply.isError(), reply.error().message());
                    finished->deleteLater();
                });
    }

  private:
    QDBusConnection Connection() {
        if (!connected_) {
            connected_ = true;
            if (busAddress_.isEmpty())
                QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName_);
            else
                QDBusConnection::connectToBus(busAddress_, connectionName_);
        }
        return QDBusConnection(connectionName_);
    }

    void Answered(bool shown, const QString& why) {
        if (!shown)
            qCDebug(lcMs1) << "no desktop notification:" << why;
        QMutexLocker lock(&mutex_);
        if (onAnswer_)
            onAnswer_(shown, why);
    }

    const QString appName_;
    const QString iconName_;
    const QString busAddress_;
    const QString connectionName_;
    bool connected_ = false;
    QMutex mutex_;
    DesktopNotifications::Answer onAnswer_;
};

DesktopNotifications::DesktopNotifications(QString appName, QString iconName, QString busAddress)
    : sender_(new NoticeSender(std::move(appName), std::move(iconName), std::move(busAddress))) {
    thread_.setObjectName(QStringLiteral("notifications"));
    sender_->moveToThread(&thread_);
    thread_.start();
}

DesktopNotifications::~DesktopNotifications() {
    thread_.quit();
    thread_.wait();
    delete sender_;
}

void DesktopNotifications::Show(const std::u16string& summary, const std::u16string& body) {
    const QString summaryText = QString::fromStdU16String(summary);
    const QString bodyText = QString::fromStdU16String(body);
    NoticeSender* sender = sender_;
    QMetaObject::invokeMethod(
        sender_, [sender, summaryText, bodyText] { sender->Send(summaryText, bodyText); },
        Qt::QueuedConnection);
}

void DesktopNotifications::SetOnAnswer(Answer onAnswer) {
    sender_->SetOnAnswer(std::move(onAnswer));
}

}  // namespace ms1
