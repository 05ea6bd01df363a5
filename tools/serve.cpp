// The HTTP side of lumtar serve, on cpp-httplib: one worker per processor
// from its thread pool interface, keep-alive, limits, an access log line per
// request, and a graceful stop on SIGTERM.
#include "serve.h"

#include <CLI/CLI.hpp>
#include <httplib.h>
#include <malloc.h>
#include <pthread.h>
#include <semaphore>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

#include "lumtar32.h"
#include "serve_draw.h"
#include "serve_page.h"
#include "serve_query.h"

namespace tool {
namespace {

constexpr std::size_t LongestTarget = 4096;  // request line's target: 414 beyond
constexpr std::size_t LongestHeaders = 8192; // all header fields together: 431 beyond
constexpr const char* Forever = "public, max-age=31536000, immutable";

// httplib serves a connection on one thread from first request to last and
// its ThreadPool queues connections without bound; this pool has a thread
// per connection it holds, at most `cap`. Beyond them the acceptor waits, so
// further clients wait in the kernel's listen queue instead of our memory.
class BoundedPool : public httplib::TaskQueue {
public:
    explicit BoundedPool(std::size_t cap) : cap_(cap)
    {
        for (std::size_t i = 0; i < cap; ++i) workers_.emplace_back([this] { Work(); });
    }
    void enqueue(std::function<void()> fn) override
    {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [this] { return held_ < cap_; });
        ++held_;
        jobs_.push_back(std::move(fn));
        work_.notify_one();
    }
    void shutdown() override
    {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        work_.notify_all();
        for (auto& w : workers_) w.join();
    }

private:
    void Work()
    {
        for (;;) {
            std::unique_lock lock(mutex_);
            work_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) return; // stopping, and every connection served
            auto fn = std::move(jobs_.front());
            jobs_.pop_front();
            lock.unlock();
            fn();
            lock.lock();
            --held_;
            room_.notify_one();
        }
    }
    std::size_t cap_, held_ = 0;
    bool stopping_ = false;
    std::deque<std::function<void()>> jobs_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable work_, room_;
};

thread_local std::chrono::steady_clock::time_point RequestStart;

// Drawing is the work: one worker per processor draws, however many
// connections are being read and written (httplib serves each connection on
// a thread of its own, idle keep-alive ones included).
std::counting_semaphore<1024>* Drawers = nullptr;

// FNV-1a, 64 bits: the same parameters give the same tag on every server of
// the same version.
std::string Tag(const std::string& normalised)
{
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : std::string(LUMTAR32_VERSION "|") + normalised) h = (h ^ c) * 1099511628211ull;
    char tag[24];
    std::snprintf(tag, sizeof tag, "\"%016llx\"", static_cast<unsigned long long>(h));
    return tag;
}

void Plain(httplib::Response& res, int status, const std::string& text)
{
    res.status = status;
    res.set_content(OneLine(text) + "\n", "text/plain; charset=utf-8");
}

void Picture(const httplib::Request& req, httplib::Response& res, const Parsed& parsed)
{
    if (parsed.status != 200) return Plain(res, parsed.status, parsed.reason);
    const std::string tag = Tag(Normalised(parsed.query));
    res.set_header("ETag", tag);
    res.set_header("Cache-Control", Forever);
    const std::string match = req.get_header_value("If-None-Match");
    if (!match.empty() && (match == "*" || match.find(tag) != std::string::npos)) {
        res.status = 304;
        return;
    }
    thread_local Answer answer;
    Drawers->acquire();
    DrawQuery(parsed.query, answer);
    Drawers->release();
    if (answer.status != 200) {
        res.headers.erase("ETag");
        res.headers.erase("Cache-Control");
        return Plain(res, answer.status, answer.reason);
    }
    res.set_header("X-Barcode-Type", answer.typeDrawn);
    res.set_content(answer.body, answer.contentType);
}

// Before routing: the limits, the methods, the clock for the log.
httplib::Server::HandlerResponse Admit(const httplib::Request& req, httplib::Response& res)
{
    RequestStart = std::chrono::steady_clock::now();
    if (req.method != "GET" && req.method != "HEAD") {
        res.set_header("Allow", "GET, HEAD");
        Plain(res, 405, req.method + " is not served here: GET or HEAD");
        return httplib::Server::HandlerResponse::Handled;
    }
    if (req.target.size() > LongestTarget) {
        Plain(res, 414, "the request's URL is longer than " + std::to_string(LongestTarget) + " characters");
        return httplib::Server::HandlerResponse::Handled;
    }
    std::size_t headers = 0;
    for (const auto& [name, value] : req.headers) headers += name.size() + value.size() + 4;
    if (headers > LongestHeaders) {
        Plain(res, 431, "the request's header fields are longer than " + std::to_string(LongestHeaders) + " bytes");
        return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
}

// ADDR "METHOD TARGET VERSION" STATUS BYTES MICROSECONDS, one write per line.
void Log(const httplib::Request& req, const httplib::Response& res)
{
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - RequestStart);
    std::string line = req.remote_addr + " \"" + req.method + " ";
    for (unsigned char c : req.target.substr(0, 1024)) {
        if (c >= 0x20 && c < 0x7F && c != '"') {
            line += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            line += hex;
        }
    }
    line += " " + req.version + "\" " + std::to_string(res.status) + " " + std::to_string(res.body.size()) + " " +
            std::to_string(us.count()) + "us\n";
    const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
    (void)written;
}

void Routes(httplib::Server& server, const ServeConfig& config)
{
    server.set_pre_routing_handler(Admit);
    if (!config.quiet) server.set_logger(Log);
    server.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
        if (res.body.empty() && res.status == 404) Plain(res, 404, req.path + ": nothing here (try /, /render, /types)");
    });
    if (config.floor) {
        server.Get(".*", [](const httplib::Request&, httplib::Response& res) { res.set_content("x", "text/plain"); });
        return;
    }
    server.Get("/render", [](const httplib::Request& req, httplib::Response& res) {
        Picture(req, res, ParseRender(req.params));
    });
    server.Get("/", [](const httplib::Request& req, httplib::Response& res) {
        if (!req.params.empty()) return Picture(req, res, ParseBwip(req.params)); // bwip-js's /?bcid=...
        res.set_header("Cache-Control", "no-cache");
        res.set_content(ServePage, "text/html; charset=utf-8");
    });
    server.Get("/types", [](const httplib::Request&, httplib::Response& res) {
        static const std::string json = TypesJson();
        res.set_content(json, "application/json");
    });
    server.Get("/healthz", [](const httplib::Request&, httplib::Response& res) { res.set_content("ok\n", "text/plain"); });
}

// ADDR:PORT, [ADDR6]:PORT or :PORT (loopback).
bool SplitListen(const std::string& listen, std::string& host, int& port)
{
    const auto colon = listen.rfind(':');
    if (colon == std::string::npos) return false;
    host = listen.substr(0, colon);
    if (host.empty()) host = "127.0.0.1";
    if (host.size() > 1 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    const std::string p = listen.substr(colon + 1);
    if (p.empty() || p.size() > 5 || p.find_first_not_of("0123456789") != std::string::npos) return false;
    port = std::stoi(p);
    return port <= 65535;
}

} // namespace

CLI::App* AddServeCommand(CLI::App& app, ServeConfig& config)
{
    auto* serve = app.add_subcommand("serve", "Answer barcode requests over HTTP (GET /render?text=..., bwip-js's "
                                              "/?bcid=..., /types, /healthz; a page to try them at /)");
    serve->add_option("--listen", config.listen, "ADDR:PORT to listen on (default 127.0.0.1:8080; port 0: any free one)");
    serve->add_option("--threads", config.threads, "pictures drawn at once (default: one per processor)")
        ->check(CLI::Range(1u, 1024u));
    serve->add_option("--connections", config.connections, "connections served at once, a thread each (default 128); "
                                                           "more wait until one closes")
        ->check(CLI::Range(1u, 4096u));
    serve->add_option("--read-timeout", config.readTimeout, "seconds a client may take to send its request (default 5)")
        ->check(CLI::Range(1, 3600));
    serve->add_flag("--quiet", config.quiet, "no access log on standard error");
    serve->add_flag("--floor", config.floor, "")->group(""); // benchmarks: one byte for every request
    serve->footer("One log line per request on standard error: address, request line, status, bytes, microseconds. "
                  "SIGTERM or SIGINT: no new connections; the requests in flight are answered, then it exits.");
    return serve;
}

int Serve(const ServeConfig& config)
{
    std::string host;
    int port = 0;
    if (!SplitListen(config.listen, host, port)) {
        std::fprintf(stderr, "lumtar: --listen %s: give ADDR:PORT, e.g. 127.0.0.1:8080\n", config.listen.c_str());
        return 2;
    }
    // The signals are taken by one thread of their own, which stops the server.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    signal(SIGPIPE, SIG_IGN);
    // zlib's deflate state (some 150 KiB for every PNG) is above glibc's
    // first mmap threshold, and a heap's top above its trim threshold: both
    // mapped and given back per picture, and the page faults and TLB
    // shootdowns made more drawing threads slower than one (PNGs per second
    // in process: 8650 on one thread, 4430 on two, 3280 on sixteen; with
    // these two settings 9540 on two, 8450 on sixteen).
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);

    httplib::Server server;
    const unsigned threads = config.threads ? config.threads : std::max(1u, std::thread::hardware_concurrency());
    std::counting_semaphore<1024> drawers(threads);
    Drawers = &drawers;
    server.new_task_queue = [&] { return new BoundedPool(config.connections); };
    server.set_read_timeout(config.readTimeout, 0);
    server.set_write_timeout(config.readTimeout, 0);
    server.set_keep_alive_max_count(1000);
    server.set_payload_max_length(4096);
    server.set_tcp_nodelay(true);
    Routes(server, config);

    const int bound = port ? (server.bind_to_port(host, port) ? port : -1) : server.bind_to_any_port(host);
    if (bound < 0) {
        std::fprintf(stderr, "lumtar: cannot listen on %s\n", config.listen.c_str());
        return 3;
    }
    const std::string shown = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    std::fprintf(stderr, "lumtar: serving http://%s:%d/ with %u workers\n", shown.c_str(), bound, threads);
    std::thread stopper([&] {
        int sig = 0;
        sigwait(&stops, &sig);
        server.stop();
    });
    const bool ok = server.listen_after_bind();
    pthread_kill(stopper.native_handle(), SIGTERM); // wakes it when the server ended by itself
    stopper.join();
    return ok ? 0 : 3;
}

} // namespace tool
