#include "updater/CSocket.h"

#include "common/Cp1252.h"

#include <QHostInfo>
#include <QMetaObject>
#include <QSocketNotifier>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Every live socket handle of the process and its object; and accepted connections that
// are waiting for an owner (held by a temporary object during ConnectionRequest).
std::map<int, CSocket*>& registeredSockets()
{
    static std::map<int, CSocket*> table;
    return table;
}
std::map<int, CSocket*>& pendingAccepted()
{
    static std::map<int, CSocket*> table;
    return table;
}

constexpr int kUdpMaxMessage = 65507;

[[noreturn]] void raise(int number, const QString& text, const char* member)
{
    throw SocketError(number, text, QStringLiteral("CSocket.") + QLatin1String(member));
}
[[noreturn]] void raiseState(const char* member)
{
    raise(40020, QStringLiteral("Invalid operation at current state"), member);
}
[[noreturn]] void raiseRange(const char* member)
{
    raise(40014,
          QStringLiteral("The argument passed to a function was not in the correct format or in the specified range."),
          member);
}
[[noreturn]] void raiseProtocol(const char* member)
{
    raise(40006, QStringLiteral("Wrong protocol or connection state for the requested transaction or request"), member);
}
[[noreturn]] void raiseErrno(const char* member)
{
    const int n = CSocket::WinsockNumber(errno);
    raise(n, CSocket::ErrorText(n), member);
}

bool parseDotted(const QString& text, std::uint32_t& out)
{
    in_addr a{};
    if (inet_pton(AF_INET, text.toLatin1().constData(), &a) != 1)
        return false;
    out = a.s_addr;
    return true;
}

QString dotted(std::uint32_t networkOrder)
{
    in_addr a{};
    a.s_addr = networkOrder;
    char buf[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &a, buf, sizeof buf);
    return QString::fromLatin1(buf);
}

} // namespace

int CSocket::WinsockNumber(int e)
{
    switch (e) {
    case EINTR: return 10004;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: case ENFILE: return 10024;
    case EWOULDBLOCK: return 10035;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
    case EOPNOTSUPP: return 10045;
    case EPFNOSUPPORT: return 10046;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case ECONNRESET: return 10054;
    case ENOBUFS: case ENOMEM: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case EPIPE: case ESHUTDOWN: return 10058;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case EHOSTUNREACH: case EHOSTDOWN: return 10065;
    default: return e;
    }
}

QString CSocket::ErrorText(int n)
{
    const char* t = "Unknown error.";
    switch (n) {
    case 10004: t = "Interrupted function call."; break;
    case 10013: t = "Permission denied."; break;
    case 10014: t = "Bad address."; break;
    case 10022: t = "Invalid argument."; break;
    case 10024: t = "Too many open files."; break;
    case 10035: t = "Resource temporarily unavailable."; break;
    case 10036: t = "Operation now in progress."; break;
    case 10037: t = "Operation already in progress."; break;
    case 10038: t = "Socket operation on nonsocket."; break;
    case 10039: t = "Destination address required."; break;
    case 10040: t = "Message too long."; break;
    case 10041: t = "Protocol wrong type for socket."; break;
    case 10042: t = "Bad protocol option."; break;
    case 10043: t = "Protocol not supported."; break;
    case 10044: t = "Socket type not supported."; break;
    case 10045: t = "Operation not supported."; break;
    case 10046: t = "Protocol family not supported."; break;
    case 10047: t = "Address family not supported by protocol family."; break;
    case 10048: t = "Address already in use."; break;
    case 10049: t = "Cannot assign requested address."; break;
    case 10050: t = "Network is down."; break;
    case 10051: t = "Network is unreachable."; break;
    case 10052: t = "Network dropped connection on reset."; break;
    case 10053: t = "Software caused connection abort."; break;
    case 10054: t = "Connection reset by peer."; break;
    case 10055: t = "No buffer space available."; break;
    case 10056: t = "Socket is already connected."; break;
    case 10057: t = "Socket is not connected."; break;
    case 10058: t = "Cannot send after socket shutdown."; break;
    case 10060: t = "Connection timed out."; break;
    case 10061: t = "Connection refused."; break;
    case 10065: t = "No route to host."; break;
    case 10067: t = "Too many processes."; break;
    case 10091: t = "Network subsystem is unavailable."; break;
    case 10092: t = "Winsock.dll version out of range."; break;
    case 10093: t = "Successful WSAStartup not yet performed."; break;
    case 11001: t = "Host not found."; break;
    case 11002: t = "Nonauthoritative host not found."; break;
    case 11003: t = "This is a nonrecoverable error."; break;
    case 11004: t = "Valid name, no data record of requested type."; break;
    default: break;
    }
    return QString::fromLatin1(t);
}

CSocket::CSocket(QObject* parent) : QObject(parent) {}

CSocket::~CSocket()
{
    if (lookupId_ >= 0)
        QHostInfo::abortHostLookup(lookupId_);
    releaseHandle();
}

void CSocket::releaseHandle()
{
    readNotifier_.reset();
    writeNotifier_.reset();
    if (fd_ >= 0) {
        unregisterSocket();
        pendingAccepted().erase(fd_);
        ::close(fd_);
        fd_ = -1;
    }
}

void CSocket::setRemotePort(std::int32_t port)
{
    if (protocol_ == sckTCPProtocol && state_ != sckClosed)
        raiseState("RemotePort");
    if (port < 0 || port > 65535)
        raiseRange("RemotePort");
    remotePort_ = port;
}

void CSocket::setRemoteHost(const QString& host)
{
    if (protocol_ == sckTCPProtocol && state_ != sckClosed)
        raiseState("RemoteHost");
    remoteHost_ = host;
}

void CSocket::setLocalPort(std::int32_t port)
{
    if (state_ != sckClosed)
        raiseState("LocalPort");
    if (port < 0 || port > 65535)
        raiseRange("LocalPort");
    localPort_ = port;
}

void CSocket::setProtocol(std::int32_t protocol)
{
    if (state_ != sckClosed)
        raiseState("Protocol");
    if (protocol != sckTCPProtocol && protocol != sckUDPProtocol)
        raiseRange("Protocol");
    protocol_ = protocol;
}

QString CSocket::LocalHostName() const
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        raiseErrno("LocalHostName");
    return QString::fromLocal8Bit(name);
}

QString CSocket::LocalIP() const
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* res = nullptr;
    QString ip = QStringLiteral("127.0.0.1");
    if (getaddrinfo(LocalHostName().toLocal8Bit().constData(), nullptr, &hints, &res) == 0 && res) {
        ip = dotted(reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr.s_addr);
        freeaddrinfo(res);
    }
    return ip;
}

std::int32_t CSocket::BytesReceived() const
{
    if (protocol_ == sckTCPProtocol)
        return static_cast<std::int32_t>(recvBuffer_.size());
    int n = 0;
    if (fd_ >= 0 && state_ == sckOpen && ioctl(fd_, FIONREAD, &n) == 0)
        return n;
    return 0;
}

bool CSocket::SocketExists()
{
    if (fd_ >= 0)
        return true;
    const int type = protocol_ == sckTCPProtocol ? SOCK_STREAM : SOCK_DGRAM;
    fd_ = ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        raiseError(WinsockNumber(errno), QStringLiteral("CSocket.SocketExists"));
        return false;
    }
    if (protocol_ == sckTCPProtocol) {
        int v = 0;
        socklen_t len = sizeof v;
        recvChunk_ = getsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &v, &len) == 0 && v > 0 ? v : 65536;
        len = sizeof v;
        sendChunk_ = getsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &v, &len) == 0 && v > 0 ? v : 65536;
    } else {
        const int one = 1;
        setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
        recvChunk_ = sendChunk_ = kUdpMaxMessage;
    }
    registerSocket(true);
    return true;
}

void CSocket::registerSocket(bool selectEvents)
{
    registeredSockets()[fd_] = this;
    if (!selectEvents)
        return;
    readNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(readNotifier_.get(), &QSocketNotifier::activated, this, &CSocket::onReadable);
    writeNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_.get(), &QSocketNotifier::activated, this, &CSocket::onWritable);
}

void CSocket::unregisterSocket()
{
    auto& t = registeredSockets();
    if (auto it = t.find(fd_); it != t.end() && it->second == this)
        t.erase(it);
}

void CSocket::raiseError(int number, const QString& source)
{
    state_ = sckError;
    if (readNotifier_)
        readNotifier_->setEnabled(false);
    if (writeNotifier_)
        writeNotifier_->setEnabled(false);
    bool cancel = true;
    emit Error(number, ErrorText(number), 0, source, QString(), 0, &cancel);
}

void CSocket::CloseSck()
{
    if (fd_ < 0 && lookupId_ < 0)
        return;
    state_ = sckClosing;
    ++connectAttempt_;
    if (lookupId_ >= 0) {
        QHostInfo::abortHostLookup(lookupId_);
        lookupId_ = -1;
    }
    releaseHandle();
    accepted_ = false;
    peerClosed_ = false;
    boundPort_ = 0;
    boundAddress_.clear();
    remoteHostIP_.clear();
    sendBuffer_.clear();
    recvBuffer_.clear();
    sendChunk_ = recvChunk_ = 0;
    state_ = sckClosed;
}

void CSocket::Connect(const QString& remoteHost, std::int32_t remotePort)
{
    if (state_ != sckClosed)
        raiseState("Connect");
    if (!remoteHost.isEmpty())
        remoteHost_ = remoteHost;
    if (remotePort != 0) {
        if (remotePort < 1 || remotePort > 65535)
            raiseRange("Connect");
        remotePort_ = remotePort;
    }
    if (!SocketExists())
        return;
    if (protocol_ == sckUDPProtocol) {
        bindInternal(-1, QString());
        state_ = sckOpen;
        return;
    }
    // An unconnected socket polls as hung up: reading waits for the connection.
    readNotifier_->setEnabled(false);
    std::uint32_t addr = 0;
    if (parseDotted(remoteHost_, addr)) {
        connectToAddress(addr);
        return;
    }
    state_ = sckResolvingHost;
    // The answer may come before lookupHost returns its id, so the lookup is known by a
    // token of its own; a close or a new connection makes an old answer stale.
    const int token = ++connectAttempt_;
    const int id = QHostInfo::lookupHost(remoteHost_, this, [this, token](const QHostInfo& info) {
        if (token != connectAttempt_ || state_ != sckResolvingHost)
            return;
        lookupId_ = -1;
        std::uint32_t address = 0;
        bool found = false;
        for (const QHostAddress& a : info.addresses()) {
            if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                address = htonl(a.toIPv4Address());
                found = true;
                break;
            }
        }
        lookupDone(info.lookupId(), address, found ? 0 : 11001);
    });
    if (token == connectAttempt_ && state_ == sckResolvingHost)
        lookupId_ = id;
}

void CSocket::lookupDone(int, std::uint32_t address, int error)
{
    lookupId_ = -1;
    if (state_ != sckResolvingHost)
        return;
    if (error) {
        raiseError(error, QStringLiteral("CSocket.ConnectToIP"));
        return;
    }
    state_ = sckHostResolved;
    try {
        connectToAddress(address);
    } catch (const SocketError& e) {
        raiseError(e.Number, e.Source);
    }
}

void CSocket::connectToAddress(std::uint32_t address)
{
    // A client binds only when a local port was asked for, and then to any address.
    if (localPort_ != 0)
        bindInternal(localPort_, QString());
    state_ = sckConnecting;
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<std::uint16_t>(remotePort_));
    sa.sin_addr.s_addr = address;
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0 || errno == EINPROGRESS) {
        writeNotifier_->setEnabled(true); // completion (or failure) shows as writable
        return;
    }
    const int n = WinsockNumber(errno);
    if (n == 10049)
        raise(n, ErrorText(n), "ConnectToIP");
    // Reported as an event, after the caller's Connect has returned, unless the socket was
    // closed (or used again) in between.
    state_ = sckError;
    const int attempt = ++connectAttempt_;
    QMetaObject::invokeMethod(
        this,
        [this, n, attempt] {
            if (attempt == connectAttempt_ && state_ == sckError)
                raiseError(n, QStringLiteral("CSocket.ConnectToIP"));
        },
        Qt::QueuedConnection);
}

void CSocket::Bind(std::int32_t localPort, const QString& localIP)
{
    if (state_ == sckOpen)
        return;
    if (state_ != sckClosed)
        raiseState("Bind");
    if (localPort != -1 && (localPort < 0 || localPort > 65535))
        raiseRange("Bind");
    if (!SocketExists())
        return;
    bindInternal(localPort, localIP);
    state_ = sckOpen;
}

void CSocket::bindInternal(std::int32_t port, const QString& address)
{
    if (state_ == sckOpen)
        return;
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<std::uint16_t>(port < 0 ? localPort_ : port));
    sa.sin_addr.s_addr = htonl(INADDR_ANY);
    if (!address.isEmpty()) {
        std::uint32_t a = 0;
        if (!parseDotted(address, a))
            raise(40014, QStringLiteral("Invalid argument"), "Bind");
        sa.sin_addr.s_addr = a;
    }
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0)
        raiseErrno("Bind");
    sockaddr_in bound{};
    socklen_t len = sizeof bound;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&bound), &len);
    boundPort_ = ntohs(bound.sin_port);
    boundAddress_ = dotted(bound.sin_addr.s_addr);
}

void CSocket::Listen()
{
    if (state_ != sckClosed && !(state_ == sckOpen && protocol_ == sckTCPProtocol))
        raiseState("Listen");
    if (protocol_ != sckTCPProtocol)
        raiseProtocol("Listen");
    if (!SocketExists())
        return;
    bindInternal(-1, QString());
    if (::listen(fd_, 5) != 0)
        raiseErrno("Listen");
    state_ = sckListening;
}

void CSocket::readPeer()
{
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    if (getpeername(fd_, reinterpret_cast<sockaddr*>(&peer), &len) == 0) {
        remotePort_ = ntohs(peer.sin_port);
        remoteHostIP_ = dotted(peer.sin_addr.s_addr);
    }
    sockaddr_in self{};
    len = sizeof self;
    if (getsockname(fd_, reinterpret_cast<sockaddr*>(&self), &len) == 0) {
        boundPort_ = ntohs(self.sin_port);
        boundAddress_ = dotted(self.sin_addr.s_addr);
    }
}

void CSocket::Accept(int requestID)
{
    if (state_ != sckClosed)
        raiseState("Accept");
    if (protocol_ != sckTCPProtocol)
        raiseProtocol("Accept");
    auto& pending = pendingAccepted();
    if (auto it = pending.find(requestID); it != pending.end()) {
        CSocket* holder = it->second;
        pending.erase(it);
        holder->unregisterSocket();
        fd_ = holder->fd_;
        holder->fd_ = -1;
        recvBuffer_ = std::move(holder->recvBuffer_);
        const bool closed = holder->peerClosed_;
        holder->state_ = sckClosed;
        int v = 0;
        socklen_t len = sizeof v;
        recvChunk_ = getsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &v, &len) == 0 && v > 0 ? v : 65536;
        len = sizeof v;
        sendChunk_ = getsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &v, &len) == 0 && v > 0 ? v : 65536;
        readPeer();
        state_ = sckConnected;
        registerSocket(true);
        if (!recvBuffer_.isEmpty())
            emit DataArrival(recvBuffer_.size());
        if (closed) {
            state_ = sckClosing;
            readNotifier_->setEnabled(false);
            emit Close();
        }
        return;
    }
    if (registeredSockets().count(requestID))
        raiseProtocol("Accept");
    fd_ = requestID;
    accepted_ = true;
    recvChunk_ = sendChunk_ = 65536;
    readPeer();
    state_ = sckConnected;
    registerSocket(true);
}

void CSocket::onWritable()
{
    if (state_ == sckConnecting) {
        int err = 0;
        socklen_t len = sizeof err;
        getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &len);
        if (err != 0) {
            raiseError(WinsockNumber(err), QStringLiteral("CSocket.PostSocket"));
            return;
        }
        readPeer();
        state_ = sckConnected;
        readNotifier_->setEnabled(true);
        writeNotifier_->setEnabled(!sendBuffer_.isEmpty());
        emit Connected();
        return;
    }
    if (state_ == sckConnected && !sendBuffer_.isEmpty())
        sendBuffered();
    else if (writeNotifier_)
        writeNotifier_->setEnabled(false);
}

void CSocket::onReadable()
{
    if (state_ == sckListening) {
        sockaddr_in peer{};
        socklen_t len = sizeof peer;
        const int conn = ::accept4(fd_, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (conn < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                raiseError(WinsockNumber(errno), QStringLiteral("CSocket.PostSocket"));
            return;
        }
        auto* holder = new CSocket();
        holder->fd_ = conn;
        holder->accepted_ = true;
        holder->state_ = sckConnected;
        pendingAccepted()[conn] = holder;
        registeredSockets()[conn] = holder;
        const QString savedHost = remoteHost_, savedIP = remoteHostIP_;
        const std::int32_t savedPort = remotePort_;
        remoteHost_ = remoteHostIP_ = dotted(peer.sin_addr.s_addr);
        remotePort_ = ntohs(peer.sin_port);
        emit ConnectionRequest(conn);
        if (state_ == sckListening) {
            remoteHost_ = savedHost;
            remoteHostIP_ = savedIP;
            remotePort_ = savedPort;
        }
        if (pendingAccepted().count(conn)) {
            pendingAccepted().erase(conn);
            delete holder; // nobody took it: closed and dropped
        } else {
            holder->deleteLater();
        }
        return;
    }
    if (protocol_ == sckTCPProtocol && state_ == sckConnected) {
        // One receive takes at most a megabyte, whatever the socket's buffer.
        const qint64 chunk = std::clamp<qint64>(recvChunk_, 65536, 1 << 20);
        const qsizetype old = recvBuffer_.size();
        recvBuffer_.resize(old + chunk);
        const ssize_t n = ::recv(fd_, recvBuffer_.data() + old, static_cast<size_t>(chunk), 0);
        recvBuffer_.resize(old + std::max<ssize_t>(n, 0));
        if (n > 0) {
            emit DataArrival(recvBuffer_.size());
        } else if (n == 0) {
            state_ = sckClosing;
            peerClosed_ = true;
            readNotifier_->setEnabled(false);
            emit Close();
        } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            raiseError(WinsockNumber(errno), QStringLiteral("CSocket.PostSocket"));
        }
        return;
    }
    if (protocol_ == sckUDPProtocol && state_ == sckOpen) {
        int n = 0;
        ioctl(fd_, FIONREAD, &n);
        udpTaken_ = false;
        emit DataArrival(n);
        // A datagram the handler left unread is dropped so the next one can be seen.
        if (!udpTaken_ && fd_ >= 0 && state_ == sckOpen) {
            char dummy;
            (void)::recv(fd_, &dummy, 1, MSG_DONTWAIT);
        }
        return;
    }
    if (readNotifier_)
        readNotifier_->setEnabled(false);
}

void CSocket::SendData(const QString& text) { SendData(kovel::cp1252::fromUnicode(text)); }

void CSocket::SendData(const QByteArray& bytes)
{
    if (protocol_ == sckUDPProtocol) {
        if (state_ != sckOpen) {
            if (!SocketExists())
                return;
            bindInternal(-1, QString());
            state_ = sckOpen;
        }
    } else if (state_ != sckConnected) {
        raiseProtocol("SendData");
    }
    if (bytes.isEmpty())
        return;
    const bool wasEmpty = sendBuffer_.isEmpty();
    sendBuffer_ += bytes;
    if (wasEmpty)
        sendBuffered();
}

void CSocket::sendBuffered()
{
    if (protocol_ == sckUDPProtocol) {
        std::uint32_t a = 0;
        if (!parseDotted(remoteHost_, a)) {
            sendBuffer_.clear();
            raise(40014, QStringLiteral("Invalid argument"), "SendBufferedDataUDP");
        }
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(static_cast<std::uint16_t>(remotePort_));
        sa.sin_addr.s_addr = a;
        const QByteArray data = std::exchange(sendBuffer_, QByteArray());
        if (::sendto(fd_, data.constData(), data.size(), 0, reinterpret_cast<sockaddr*>(&sa), sizeof sa) < 0) {
            raiseError(WinsockNumber(errno), QStringLiteral("CSocket.SendBufferedDataUDP"));
            return;
        }
        emit SendProgress(data.size(), 0);
        emit SendComplete();
        return;
    }
    qint64 sent = 0;
    const qint64 chunk = std::max<qint64>(sendChunk_, 4096);
    while (sent < sendBuffer_.size()) {
        const qint64 n = std::min<qint64>(chunk, sendBuffer_.size() - sent);
        const ssize_t r = ::send(fd_, sendBuffer_.constData() + sent, static_cast<size_t>(n), MSG_NOSIGNAL);
        if (r > 0) {
            sent += r;
            continue;
        }
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            sendBuffer_.remove(0, sent);
            writeNotifier_->setEnabled(true);
            if (sent > 0)
                emit SendProgress(sent, sendBuffer_.size());
            return;
        }
        sendBuffer_.clear();
        raiseError(WinsockNumber(errno), QStringLiteral("CSocket.SendBufferedData"));
        return;
    }
    sendBuffer_.clear();
    if (writeNotifier_)
        writeNotifier_->setEnabled(false);
    emit SendProgress(sent, 0);
    emit SendComplete();
}

void CSocket::takeBytes(QByteArray& out, qint64 maxLength, bool remove, bool exact)
{
    if (maxLength < -1 - 1 || maxLength == -1)
        raiseRange(remove ? "GetData" : "PeekData");
    if (protocol_ == sckTCPProtocol) {
        if (state_ != sckConnected && state_ != sckClosing && !accepted_)
            raiseProtocol(remove ? "GetData" : "PeekData");
        const qint64 n = maxLength < 0 || maxLength > recvBuffer_.size() ? recvBuffer_.size() : maxLength;
        if (exact && n < maxLength) {
            out.clear();
            return;
        }
        if (remove && n == recvBuffer_.size()) {
            out = std::exchange(recvBuffer_, QByteArray());
        } else {
            out = recvBuffer_.left(n);
            if (remove)
                recvBuffer_.remove(0, n);
        }
        return;
    }
    int waiting = 0;
    if (state_ != sckOpen || ioctl(fd_, FIONREAD, &waiting) != 0)
        raiseProtocol(remove ? "GetData" : "PeekData");
    QByteArray dgram(std::max(waiting, 1), Qt::Uninitialized);
    const ssize_t r = ::recv(fd_, dgram.data(), dgram.size(), remove ? 0 : MSG_PEEK);
    if (remove)
        udpTaken_ = true;
    if (r < 0)
        raiseProtocol(remove ? "GetData" : "PeekData");
    dgram.resize(r);
    if (maxLength >= 0 && maxLength < r) {
        if (exact) {
            out.clear();
            return;
        }
        raise(10040, ErrorText(10040), remove ? "GetData" : "PeekData");
    }
    out = dgram;
}

void CSocket::GetData(QByteArray& data, qint64 maxLength)
{
    takeBytes(data, maxLength == -2 ? -2 : maxLength, true, false);
}

void CSocket::PeekData(QByteArray& data, qint64 maxLength) { takeBytes(data, maxLength, false, false); }

void CSocket::GetData(QString& text, qint64 maxLength)
{
    QByteArray b;
    takeBytes(b, maxLength, true, false);
    text = kovel::cp1252::toUnicode(b);
}
