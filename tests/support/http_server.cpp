#include "support/http_server.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cctype>

namespace testing_support {

namespace {

// Winsock stays started for the life of the test program once any server has been made.
void StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

SOCKET AsSocket(std::uintptr_t s) {
    return static_cast<SOCKET>(s);
}

sockaddr_in LoopbackAddress(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

bool SendAll(SOCKET s, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const int chunk = static_cast<int>(std::min<std::size_t>(data.size() - sent, 65536));
        const int n = send(s, data.data() + sent, chunk, 0);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string TargetOf(const std::string& request) {
    const std::string line = RequestLine(request);
    const auto first = line.find(' ');
    if (first == std::string::npos) return {};
    const auto second = line.find(' ', first + 1);
    return line.substr(first + 1,
                       second == std::string::npos ? std::string::npos : second - first - 1);
}

} // namespace

HttpAnswer HttpAnswer::Page(std::string body, std::string contentType) {
    HttpAnswer answer;
    answer.body = std::move(body);
    answer.contentType = std::move(contentType);
    return answer;
}

HttpAnswer HttpAnswer::Dropped() {
    HttpAnswer answer;
    answer.dropConnection = true;
    return answer;
}

HttpAnswer HttpAnswer::Silent() {
    HttpAnswer answer;
    answer.silent = true;
    return answer;
}

HttpAnswer HttpAnswer::Redirect(std::string location) {
    HttpAnswer answer;
    answer.status = 302;
    answer.reason = "Found";
    answer.body = "moved";
    answer.headers.push_back("Location: " + std::move(location));
    return answer;
}

HttpAnswer HttpAnswer::WithoutLength() const {
    HttpAnswer answer = *this;
    answer.contentLength = false;
    return answer;
}

HttpAnswer HttpAnswer::After(std::chrono::milliseconds wait) const {
    HttpAnswer answer = *this;
    answer.delay = wait;
    return answer;
}

LoopbackHttpServer::LoopbackHttpServer(std::uint16_t port) {
    StartWinsock();
    others_.status = 404;
    others_.reason = "Not Found";
    others_.contentType = "text/plain";
    others_.body = "not found";

    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return;
    sockaddr_in address = LoopbackAddress(port);
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(s, SOMAXCONN) != 0) {
        closesocket(s);
        return;
    }
    int length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    listener_ = static_cast<std::uintptr_t>(s);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        // Unblock workers waiting for a request or sending an answer.
        for (auto s : open_)
            shutdown(AsSocket(s), SD_BOTH);
    }
    changed_.notify_all();
    if (listener_ != kNoSocket) closesocket(AsSocket(listener_));
    if (acceptor_.joinable()) acceptor_.join();
    for (auto& worker : workers_)
        worker.join();
}

std::string LoopbackHttpServer::Url(const std::string& target) const {
    return "http://127.0.0.1:" + std::to_string(port_) + target;
}

void LoopbackHttpServer::Answer(const std::string& target, HttpAnswer answer) {
    std::lock_guard lock(mutex_);
    answers_[target] = std::move(answer);
}

void LoopbackHttpServer::AnswerEach(const std::string& target,
                                    std::function<HttpAnswer(std::size_t)> make) {
    std::lock_guard lock(mutex_);
    makers_[target] = std::move(make);
}

void LoopbackHttpServer::AnswerOthers(HttpAnswer answer) {
    std::lock_guard lock(mutex_);
    others_ = std::move(answer);
}

std::vector<std::string> LoopbackHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t LoopbackHttpServer::RequestCount(const std::string& target) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(
        std::count_if(requests_.begin(), requests_.end(),
                      [&](const std::string& r) { return TargetOf(r) == target; }));
}

bool LoopbackHttpServer::WaitForRequests(const std::string& target, std::size_t count,
                                         std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        return static_cast<std::size_t>(
                   std::count_if(requests_.begin(), requests_.end(), [&](const std::string& r) {
                       return TargetOf(r) == target;
                   })) >= count;
    });
}

void LoopbackHttpServer::AcceptLoop() {
    for (;;) {
        SOCKET connection = accept(AsSocket(listener_), nullptr, nullptr);
        if (connection == INVALID_SOCKET) return;
        std::lock_guard lock(mutex_);
        if (stopping_) {
            closesocket(connection);
            return;
        }
        const auto c = static_cast<std::uintptr_t>(connection);
        open_.push_back(c);
        workers_.emplace_back([this, c] { Serve(c); });
    }
}

bool LoopbackHttpServer::SendSlowly(std::uintptr_t c, const std::string& data,
                                    std::chrono::milliseconds interval) {
    if (interval.count() == 0) return SendAll(AsSocket(c), data);
    for (char byte : data)
        if (!Pause(interval) || !SendAll(AsSocket(c), std::string(1, byte))) return false;
    return true;
}

bool LoopbackHttpServer::Pause(std::chrono::milliseconds delay) {
    std::unique_lock lock(mutex_);
    return !changed_.wait_for(lock, delay, [this] { return stopping_; });
}

void LoopbackHttpServer::Serve(std::uintptr_t c) {
    const SOCKET s = AsSocket(c);
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        const int n = recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        head.append(buffer, static_cast<std::size_t>(n));
    }
    if (const auto end = head.find("\r\n\r\n"); end != std::string::npos) head.resize(end + 4);

    HttpAnswer answer;
    {
        std::lock_guard lock(mutex_);
        if (!head.empty()) requests_.push_back(head);
        const std::string target = TargetOf(head);
        const auto found = answers_.find(target);
        answer = found != answers_.end() ? found->second : others_;
        if (const auto maker = makers_.find(target); maker != makers_.end()) {
            std::size_t n = 0;
            for (const std::string& request : requests_)
                n += TargetOf(request) == target ? 1 : 0;
            answer = maker->second(n);
        }
    }
    changed_.notify_all();

    if (!head.empty() && answer.silent) {
        // Hold the connection until the server stops.
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stopping_; });
    } else if (!head.empty() && !answer.dropConnection && Pause(answer.delay)) {
        std::string reply = "HTTP/1.0 " + std::to_string(answer.status) + " " + answer.reason +
                            "\r\nContent-Type: " + answer.contentType + "\r\n";
        if (answer.contentLength)
            reply += "Content-Length: " +
                     std::to_string(answer.declaredLength.value_or(answer.body.size())) + "\r\n";
        for (const auto& header : answer.headers)
            reply += header + "\r\n";
        reply += "Connection: close\r\n\r\n";
        if (SendSlowly(s, reply, answer.headByteInterval))
            SendSlowly(s, answer.body, answer.bodyByteInterval);
    }
    shutdown(s, SD_SEND);
    // Let the client read everything before the socket goes away.
    while (recv(s, buffer, sizeof buffer, 0) > 0) {
    }
    std::lock_guard lock(mutex_);
    open_.erase(std::remove(open_.begin(), open_.end(), c), open_.end());
    closesocket(s);
}

std::string RequestLine(const std::string& request) {
    return request.substr(0, request.find("\r\n"));
}

std::vector<std::string> HeaderValues(const std::string& request, const std::string& name) {
    std::vector<std::string> values;
    const std::string wanted = Lower(name) + ":";
    std::size_t at = request.find("\r\n");
    while (at != std::string::npos) {
        const std::size_t start = at + 2;
        const std::size_t end = request.find("\r\n", start);
        const std::string line =
            request.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (Lower(line.substr(0, wanted.size())) == wanted) {
            std::string value = line.substr(wanted.size());
            value.erase(0, value.find_first_not_of(' '));
            values.push_back(value);
        }
        at = end;
    }
    return values;
}

std::uint16_t ClosedLoopbackPort() {
    StartWinsock();
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return 0;
    sockaddr_in address = LoopbackAddress(0);
    std::uint16_t port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        int length = sizeof address;
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
    }
    closesocket(s);
    return port;
}

} // namespace testing_support
