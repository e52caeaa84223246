// HTTP servers on 127.0.0.1 for the lookup tests: one that serves set
// replies and records every request, one that never answers, and a port
// that refuses connections.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>

namespace testutil {

class testserver {
public:
    struct reply {
        int status = 200;
        std::string body; // "{base}" stands for this server's address
        std::string location;
    };
    struct request {
        std::string target; // path and query exactly as sent
        httplib::Headers headers;
    };

    testserver() {
        port_ = server_.bind_to_any_port("127.0.0.1");
        if (port_ <= 0) throw std::runtime_error("cannot bind a test server");
        server_.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
            reply r;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back({req.target, req.headers});
                auto it = routes_.find(req.path);
                if (it == routes_.end()) {
                    res.status = 404;
                    res.set_content("{\"message\": \"The requested resource was not found.\"}",
                                    "application/json");
                    return;
                }
                r = it->second;
            }
            res.status = r.status;
            if (!r.location.empty()) res.set_header("Location", expand(r.location));
            res.set_content(expand(r.body), "application/json");
        });
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // stop() is a no-op until the accept loop runs, so wait for it.
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~testserver() {
        server_.stop();
        thread_.join();
    }
    testserver(const testserver&) = delete;
    testserver& operator=(const testserver&) = delete;

    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }

    void route(const std::string& path, reply r) {
        std::lock_guard<std::mutex> lock(mutex_);
        routes_[path] = std::move(r);
    }
    void route(const std::string& path, std::string body) { route(path, reply{200, body, {}}); }

    std::vector<request> requests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }
    std::vector<std::string> targets() {
        std::vector<std::string> out;
        for (auto& r : requests()) out.push_back(r.target);
        return out;
    }

private:
    std::string expand(std::string s) const {
        for (std::size_t p; (p = s.find("{base}")) != std::string::npos;) s.replace(p, 6, base());
        return s;
    }

    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::map<std::string, reply> routes_;
    std::vector<request> requests_;
};

// A bound socket: listening, it takes connections into its backlog and never
// answers; not listening, it refuses them.
class rawport {
public:
    explicit rawport(bool listening) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            (listening && ::listen(fd_, 8) != 0) ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            throw std::runtime_error("cannot set up a raw port");
        port_ = ntohs(a.sin_port);
    }
    ~rawport() { ::close(fd_); }
    rawport(const rawport&) = delete;
    rawport& operator=(const rawport&) = delete;
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    int fd_ = -1;
    int port_ = 0;
};

} // namespace testutil
