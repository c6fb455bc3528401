#pragma once
// An event-driven TCP or UDP socket with the members of a socket control. The socket never
// blocks: notifications come through the owner thread's event loop, and every event is a
// signal delivered on that thread.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <type_traits>

class QSocketNotifier;

// A numbered error raised to the caller for misuse (wrong state, bad argument).
class SocketError : public std::runtime_error {
public:
    SocketError(int number, const QString& text, const QString& source)
        : std::runtime_error(text.toStdString()), Number(number), Description(text), Source(source) {}
    int Number;
    QString Description;
    QString Source;
};

class CSocket : public QObject {
    Q_OBJECT
public:
    enum StateValue : std::int32_t {
        sckClosed = 0, sckOpen = 1, sckListening = 2, sckResolvingHost = 4, sckHostResolved = 5,
        sckConnecting = 6, sckConnected = 7, sckClosing = 8, sckError = 9
    };
    enum ProtocolValue : std::int32_t { sckTCPProtocol = 0, sckUDPProtocol = 1 };

    explicit CSocket(QObject* parent = nullptr);
    ~CSocket() override;

    std::int32_t RemotePort() const { return remotePort_; }
    void setRemotePort(std::int32_t port);
    QString RemoteHost() const { return remoteHost_; }
    void setRemoteHost(const QString& host);
    QString RemoteHostIP() const { return remoteHostIP_; }
    std::int32_t LocalPort() const { return boundPort_ ? boundPort_ : localPort_; }
    void setLocalPort(std::int32_t port);
    std::int32_t State() const { return state_; }
    QString LocalHostName() const;
    QString LocalIP() const;
    std::int32_t BytesReceived() const;
    int SocketHandle() const { return fd_; }
    QString Tag;
    std::int32_t Protocol() const { return protocol_; }
    void setProtocol(std::int32_t protocol);

    void CloseSck();
    // Empty host / port 0: keep the stored ones.
    void Connect(const QString& remoteHost = {}, std::int32_t remotePort = 0);
    // Empty address: any address.
    void Bind(std::int32_t localPort = -1, const QString& localIP = {});
    void Listen();
    void Accept(int requestID);

    void SendData(const QByteArray& bytes);
    // Text goes as Windows-1252, one byte a character.
    void SendData(const QString& text);
    template <typename T>
        requires std::is_arithmetic_v<T>
    void SendData(T value)
    {
        // Booleans are 16-bit (-1 true) and values go in their little-endian memory form.
        if constexpr (std::is_same_v<T, bool>) {
            SendData(static_cast<std::int16_t>(value ? -1 : 0));
        } else {
            QByteArray b(sizeof(T), Qt::Uninitialized);
            std::memcpy(b.data(), &value, sizeof(T));
            SendData(b);
        }
    }

    // At most maxLength bytes (negative: raises 40014; omitted: all waiting).
    void GetData(QByteArray& data, qint64 maxLength = -2);
    void PeekData(QByteArray& data, qint64 maxLength = -2);
    // Text: one character a byte, read as Windows-1252.
    void GetData(QString& text, qint64 maxLength = -2);
    template <typename T>
        requires std::is_arithmetic_v<T>
    bool GetValue(T& value, bool remove = true)
    {
        constexpr qsizetype n = std::is_same_v<T, bool> ? 2 : sizeof(T);
        QByteArray b;
        takeBytes(b, n, remove, true);
        if (b.size() < n)
            return false;
        if constexpr (std::is_same_v<T, bool>) {
            std::int16_t v;
            std::memcpy(&v, b.constData(), 2);
            value = v != 0;
        } else {
            std::memcpy(&value, b.constData(), sizeof(T));
        }
        return true;
    }

    static QString ErrorText(int winsockNumber);
    static int WinsockNumber(int posixErrno);

signals:
    void Close();
    void Connected(); // the control's Connect event
    void ConnectionRequest(int requestID);
    void DataArrival(qint64 bytesTotal);
    void Error(int number, const QString& description, std::int32_t scode, const QString& source,
               const QString& helpFile, std::int32_t helpContext, bool* cancelDisplay);
    void SendComplete();
    void SendProgress(qint64 bytesSent, qint64 bytesRemaining);

private:
    bool SocketExists();
    void registerSocket(bool selectEvents);
    void unregisterSocket();
    void connectToAddress(std::uint32_t addressNetworkOrder);
    void bindInternal(std::int32_t port, const QString& address);
    void raiseError(int number, const QString& source);
    void onReadable();
    void onWritable();
    void sendBuffered();
    void lookupDone(int id, std::uint32_t address, int error);
    void takeBytes(QByteArray& out, qint64 maxLength, bool remove, bool exact);
    void readPeer();
    void releaseHandle();

    int fd_ = -1;
    std::int32_t state_ = sckClosed;
    std::int32_t protocol_ = sckTCPProtocol;
    QString remoteHost_;
    std::int32_t remotePort_ = 0;
    QString remoteHostIP_;
    std::int32_t localPort_ = 0;
    std::int32_t boundPort_ = 0;
    QString boundAddress_;
    QByteArray sendBuffer_;
    QByteArray recvBuffer_;
    qint64 sendChunk_ = 0;
    qint64 recvChunk_ = 0;
    int lookupId_ = -1;
    int connectAttempt_ = 0;
    bool accepted_ = false;
    bool peerClosed_ = false;
    bool udpTaken_ = false;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
};
