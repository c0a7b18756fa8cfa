#pragma once

#include <httplib.h>

#include <unistd.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// A real HTTP server on 127.0.0.1 and a random port, answering POSTs with a handler the test
// gives, and keeping what it received.
class HttpPeer {
public:
    struct Received {
        std::string body;
        httplib::Headers headers;
        int remotePort = 0;
    };
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    explicit HttpPeer(Handler handler) : handler_(std::move(handler)) {
        server_.Post(".*", [this](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard lock(mutex_);
                received_.push_back({req.body, req.headers, req.remote_port});
            }
            handler_(req, res);
        });
        server_.set_tcp_nodelay(true);
        server_.set_read_timeout(1, 0);
        server_.set_keep_alive_timeout(2);
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // A stop() before the accept loop runs would be lost.
        while (!server_.is_running()) ::usleep(1000);
    }
    ~HttpPeer() {
        server_.stop();
        thread_.join();
    }

    std::string Url(const std::string& path = "/quenla-web/quenlaweb/quenlaapi") const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    int Port() const { return port_; }
    std::vector<Received> All() {
        std::lock_guard lock(mutex_);
        return received_;
    }

private:
    Handler handler_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<Received> received_;
};

}  // namespace testing_support
