// An HTTP server on 127.0.0.1 for the tests of the lookup: replies set by
// path, requests recorded; a request that names itself other than "vorlinde"
// or carries credentials gets a 400. In a body "{base}" stands for the
// server's address; a 3xx reply's body is its Location; status -1 sends the
// body again and again without end, status -2 never answers (until the server
// goes).
#pragma once

#include <httplib.h>

#include <condition_variable>

namespace testutil {

struct testserver {
    testserver() {
        http_.Get(".*", [this](const httplib::Request& q, httplib::Response& r) { answer(q, r); });
        thread_ = std::thread([this] { http_.listen_after_bind(); });
        // stop() does nothing until the accept loop runs.
        while (!http_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~testserver() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        stalled_.notify_all();
        http_.stop(), thread_.join();
    }

    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    void route(const std::string& path, std::string body, int status = 200) {
        std::lock_guard lock(mutex_);
        routes_[path] = {status, std::move(body)};
    }
    std::vector<std::string> targets() { return std::lock_guard(mutex_), targets_; }

    void answer(const httplib::Request& req, httplib::Response& res) {
        std::unique_lock lock(mutex_);
        targets_.push_back(req.target);
        auto [status, body] = routes_.contains(req.path) ? routes_[req.path] : routes_["/404"];
        if (req.get_header_value("User-Agent") != "vorlinde" || req.has_header("Authorization"))
            status = 400;
        if (status == -2) return stalled_.wait(lock, [this] { return stopping_; });
        lock.unlock();
        for (std::size_t p; (p = body.find("{base}")) != body.npos;) body.replace(p, 6, base());
        if (status == -1)
            return res.set_chunked_content_provider("text/plain", [body](std::size_t, auto& sink) {
                return sink.write(body.data(), body.size());
            });
        if (status / 100 == 3) res.set_header("Location", body);
        res.status = status;
        res.set_content(body, "application/json");
    }

    httplib::Server http_;
    int port_ = http_.bind_to_any_port("127.0.0.1");
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable stalled_;
    bool stopping_ = false;
    std::map<std::string, std::pair<int, std::string>> routes_{{"/404", {404, "{}"}}};
    std::vector<std::string> targets_;
};

} // namespace testutil
