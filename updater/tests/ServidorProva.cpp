#include "updater/tests/ServidorProva.h"

#include <algorithm>
#include <chrono>
#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace proves {

namespace {

bool enviarTot(int fd, const char* data, std::size_t n)
{
    while (n > 0) {
        const ssize_t r = ::send(fd, data, n, MSG_NOSIGNAL);
        if (r <= 0)
            return false;
        data += r;
        n -= std::size_t(r);
    }
    return true;
}

std::string minuscules(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

const std::vector<char>& patro()
{
    // 1 MiB of words in equal pairs, so every aligned run of whole pairs XORs to zero.
    static const std::vector<char> p = [] {
        std::vector<char> v(1 << 20);
        std::uint32_t x = 0x9E3779B9u;
        for (std::size_t w = 0; w < v.size() / 4; w += 2) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            std::memcpy(&v[w * 4], &x, 4);
            std::memcpy(&v[w * 4 + 4], &x, 4);
        }
        // The first pair makes the file an executable by its magic bytes.
        std::memcpy(&v[0], "\x7f" "ELF", 4);
        std::memcpy(&v[4], "\x7f" "ELF", 4);
        return v;
    }();
    return p;
}

} // namespace

std::string Peticio::capcalera(const std::string& nom) const
{
    const std::string wanted = "\r\n" + minuscules(nom) + ":";
    const std::string low = minuscules(cru);
    const auto at = low.find(wanted);
    if (at == std::string::npos)
        return {};
    const auto from = at + wanted.size();
    const auto eol = cru.find("\r\n", from);
    std::string v = cru.substr(from, eol - from);
    while (!v.empty() && v.front() == ' ')
        v.erase(0, 1);
    return v;
}

ServidorProva::ServidorProva(Gestor gestor) : gestor_(std::move(gestor))
{
    escolta_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    setsockopt(escolta_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(escolta_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(escolta_, 16) != 0)
        throw std::runtime_error("test server: cannot listen");
    socklen_t len = sizeof sa;
    getsockname(escolta_, reinterpret_cast<sockaddr*>(&sa), &len);
    port_ = ntohs(sa.sin_port);
    acceptador_ = std::thread([this] { acceptar(); });
}

ServidorProva::~ServidorProva()
{
    aturat_ = true;
    ::shutdown(escolta_, SHUT_RDWR);
    acceptador_.join();
    {
        std::lock_guard lock(mutex_);
        for (int fd : connexions_)
            ::shutdown(fd, SHUT_RDWR);
    }
    for (auto& t : fils_)
        t.join();
    ::close(escolta_);
}

std::vector<Peticio> ServidorProva::peticions() const
{
    std::lock_guard lock(mutex_);
    return peticions_;
}

void ServidorProva::setGestor(Gestor gestor)
{
    std::lock_guard lock(mutex_);
    gestor_ = std::move(gestor);
}

void ServidorProva::acceptar()
{
    while (!aturat_) {
        pollfd p{escolta_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const int fd = ::accept4(escolta_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard lock(mutex_);
        connexions_.push_back(fd);
        fils_.emplace_back([this, fd] { servir(fd); });
    }
}

void ServidorProva::servir(int fd)
{
    std::string entrada;
    char buf[4096];
    bool viva = true;
    while (viva && !aturat_) {
        std::size_t fi;
        while ((fi = entrada.find("\r\n\r\n")) == std::string::npos) {
            const ssize_t r = ::recv(fd, buf, sizeof buf, 0);
            if (r <= 0) {
                viva = false;
                break;
            }
            entrada.append(buf, std::size_t(r));
        }
        if (!viva)
            break;
        Peticio pet;
        pet.cru = entrada.substr(0, fi + 4);
        entrada.erase(0, fi + 4);
        const auto sp1 = pet.cru.find(' ');
        const auto sp2 = pet.cru.find(' ', sp1 + 1);
        pet.metode = pet.cru.substr(0, sp1);
        pet.cami = pet.cru.substr(sp1 + 1, sp2 - sp1 - 1);
        Gestor gestor;
        {
            std::lock_guard lock(mutex_);
            peticions_.push_back(pet);
            gestor = gestor_;
        }
        Resposta r = gestor(pet);
        if (r.retardMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(r.retardMs));
        // The reply as one stream: header, body, generated body; cut where asked.
        std::int64_t quedaAbansTall = r.tallarDespres;
        bool tallat = false;
        auto enviar = [&](const char* data, std::size_t n) {
            if (tallat)
                return false;
            if (quedaAbansTall >= 0 && std::int64_t(n) >= quedaAbansTall) {
                enviarTot(fd, data, std::size_t(quedaAbansTall));
                tallat = true;
                return false;
            }
            if (quedaAbansTall >= 0)
                quedaAbansTall -= std::int64_t(n);
            if (r.goteigMs > 0) {
                for (std::size_t i = 0; i < n && !aturat_; ++i) {
                    if (!enviarTot(fd, data + i, 1))
                        return false;
                    std::this_thread::sleep_for(std::chrono::milliseconds(r.goteigMs));
                }
                return !aturat_;
            }
            return enviarTot(fd, data, n);
        };
        bool ok = enviar(r.capcalera.data(), r.capcalera.size()) && enviar(r.cos.data(), r.cos.size());
        if (ok && r.midaGenerada > 0) {
            std::vector<char> bloc(256 * 1024);
            for (std::uint64_t off = 0; ok && off < r.midaGenerada; off += bloc.size()) {
                const std::size_t n = std::size_t(std::min<std::uint64_t>(bloc.size(), r.midaGenerada - off));
                r.genera(r.inici + off, bloc.data(), n);
                ok = enviar(bloc.data(), n);
            }
        }
        if (tallat && r.aturar) {
            // Stalled: wait until the client gives up or the server stops.
            while (!aturat_ && ::recv(fd, buf, sizeof buf, 0) > 0) {
            }
        }
        if (!ok || tallat || r.tancar)
            viva = false;
    }
    ::shutdown(fd, SHUT_RDWR);
    std::lock_guard lock(mutex_);
    connexions_.erase(std::remove(connexions_.begin(), connexions_.end(), fd), connexions_.end());
    ::close(fd);
}

void GeneraInstallable(std::uint64_t mida, std::uint64_t offset, char* buf, std::size_t n)
{
    const auto& p = patro();
    for (std::size_t done = 0; done < n;) {
        const std::uint64_t at = offset + done;
        const std::size_t from = std::size_t(at % p.size());
        const std::size_t k = std::min(n - done, p.size() - from);
        std::memcpy(buf + done, p.data() + from, k);
        done += k;
    }
    // With an odd number of whole words the last one is zero.
    const std::uint64_t paraules = mida / 4;
    if (paraules % 2 == 1) {
        const std::uint64_t w0 = (paraules - 1) * 4;
        for (std::uint64_t i = std::max(w0, offset); i < std::min(w0 + 4, offset + n); ++i)
            buf[i - offset] = 0;
    }
}

ServidorProva::Gestor ServirFitxers(std::shared_ptr<std::map<std::string, Fitxer>> fitxers)
{
    auto gets = std::make_shared<std::map<std::string, int>>();
    auto mtx = std::make_shared<std::mutex>();
    return [fitxers, gets, mtx](const Peticio& pet) {
        Resposta r;
        if (pet.cami.rfind("/bo_users/auto_stats_update.asp", 0) == 0) {
            r.capcalera = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\n";
            r.cos = "OK";
            r.tancar = true;
            return r;
        }
        std::lock_guard lock(*mtx);
        const auto it = fitxers->find(pet.cami);
        if (it == fitxers->end()) {
            r.capcalera = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
            return r;
        }
        const Fitxer& f = it->second;
        const std::uint64_t mida = f.genera ? f.midaGenerada : f.contingut.size();
        std::uint64_t inici = 0;
        const std::string rang = pet.capcalera("Range");
        const bool parcial = !rang.empty() && !f.ignorarRang && rang.rfind("bytes=", 0) == 0;
        if (parcial)
            inici = std::min<std::uint64_t>(std::stoull(rang.substr(6)), mida);
        std::string h = parcial ? "HTTP/1.1 206 Partial Content\r\n" : "HTTP/1.1 200 OK\r\n";
        h += "Last-Modified: " + f.lastModified + "\r\n";
        if (parcial)
            h += "Content-Range: bytes " + std::to_string(inici) + "-" + std::to_string(mida - 1) + "/" + std::to_string(mida)
                + "\r\n";
        const bool chunked = f.chunked && pet.metode == "GET";
        if (chunked)
            h += "Transfer-Encoding: chunked\r\n";
        else
            h += "Content-Length: " + std::to_string(mida - inici) + "\r\n";
        h += "\r\n";
        r.capcalera = h;
        if (pet.metode == "HEAD")
            return r;
        if (f.genera) {
            r.midaGenerada = mida - inici;
            r.inici = inici;
            r.genera = f.genera;
        } else if (chunked) {
            // Chunks of 7 bytes, with an extension on the first.
            const std::string body = f.contingut.substr(inici);
            char hex[32];
            for (std::size_t i = 0; i < body.size(); i += 7) {
                const std::size_t n = std::min<std::size_t>(7, body.size() - i);
                std::snprintf(hex, sizeof hex, i == 0 ? "%zx;ext=1\r\n" : "%zx\r\n", n);
                r.cos += hex + body.substr(i, n) + "\r\n";
            }
            r.cos += "0\r\n\r\n";
        } else {
            r.cos = f.contingut.substr(inici);
        }
        r.cos += f.extra;
        if (pet.metode == "GET")
            r.retardMs = f.retardGetMs;
        r.tancar = f.tancarDespres;
        if (pet.metode == "GET" && f.tallarGetDespres >= 0 && (*gets)[pet.cami]++ == 0) {
            r.tallarDespres = std::int64_t(r.capcalera.size()) + f.tallarGetDespres;
            r.aturar = f.aturarEnTallar;
        }
        return r;
    };
}

} // namespace proves
