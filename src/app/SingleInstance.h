#pragma once

#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QSocketNotifier;

// One running program per user: the first start holds a lock in the runtime folder and listens on a
// socket beside it; a later start connects there, asks the running one to show its window or to do
// what its command line says, prints the answer and ends, touching nothing else. A lock left by a
// run that crashed is taken over. Plain Unix sockets, so that a clock does not carry a network
// library for this.
//
// The exchange, one per connection: the later start sends one line of UTF-8, at most RequestLimit
// bytes with its line feed and no other control character: "show", "off", "sleep", "status",
// "skip", "unskip", "set " and a time, or "repeat " and the days. The running one answers "ok" or
// "refused" on a line of its own, then the text (the status lines, or why it refused), at most
// ReplyLimit bytes, and hangs up; a request that is not one of these is answered "error". A
// connection closed without a byte asks to show the window, as earlier versions knocked. A request
// not complete within RequestTimeoutMs is dropped, and so is the longest-waiting silent connection
// when MaxClients are open. A folder whose path is too long for a socket's address is reached
// through a descriptor of it (/proc/self/fd/N/kestrune.socket).
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Verb { Show, Set, Off, Sleep, Status, Repeat, Skip, Unskip };
    struct Request {
        Verb verb = Verb::Show;
        QString argument; // the time, for Set; the days, for Repeat
    };
    struct Reply {
        bool answered = false; // false: reached, but the running one said nothing
        bool done = false;
        QString text;
    };
    using Handler = std::function<Reply(const Request&)>;

    static constexpr int RequestLimit = 256;
    static constexpr int ReplyLimit = 16384;
    static constexpr int RequestTimeoutMs = 2000;
    static constexpr int MaxClients = 8;

    // folder: where the lock and the socket live (privateFolder()). Empty: no check at all.
    explicit SingleInstance(const QString& folder);

    // A folder that only this user can write: the runtime folder when it is the user's own with no
    // access for others (as Qt checks it), else one made for this under the user's cache folder, or
    // when that name is taken by something else, in the home folder. A folder of the user's own
    // that others could reach is made private again. Never the working folder, never one of another
    // user; empty when there is none.
    static QString privateFolder();
    ~SingleInstance() override;

    // True when this process is the one to run; then a later start's requests go to handler.
    bool claim(Handler handler);
    // From a later start: the running one's reply; none when it could not be reached.
    std::optional<Reply> ask(const Request& request, int timeoutMs = 5000);
    // From a later start: asks the running one to show its window. True when it was reached.
    bool askRunningToShow(int timeoutMs = 2000);
    // From a later start that could not reach a running copy: whether one holds the lock all the same.
    bool runningElsewhere() const;

    // The line sent for a request. A time that cannot go whole on the line (too long, a control
    // character) goes as one that cannot ring, so that the running one refuses it in its own words.
    static QByteArray encode(const Request& request);
    // The request a received line asks for; none for anything else.
    static std::optional<Request> decode(const QByteArray& line);
    // A reply as sent, bounded to ReplyLimit, and as read back.
    static QByteArray encode(const Reply& reply);
    static Reply decodeReply(const QByteArray& bytes);
    // Set when claim() let this start run without being able to keep a second one out: why, for the
    // user to read. Empty otherwise.
    QString notice() const { return m_notice; }

private:
    struct Client;
    void accept();
    void read(Client* client);
    void answer(Client* client, const QByteArray& reply);

    QString m_lockPath;
    QByteArray m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    int m_listening = -1;
    QSocketNotifier* m_notifier = nullptr;
    Handler m_handler;
    std::vector<std::unique_ptr<Client>> m_clients;
    QString m_notice;
};
