// lumtar serve: barcodes over HTTP (GET /render, bwip-js's /?bcid=, /types,
// /healthz and a page at / to try them in a browser).
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace tool {

struct ServeConfig {
    std::string listen = "127.0.0.1:8080"; // ADDR:PORT; port 0 takes a free one (said on stderr)
    unsigned threads = 0;                  // pictures drawn at once; 0: one per processor
    unsigned connections = 128;            // connections served at once; more wait in the kernel's queue
    int readTimeout = 5;                   // seconds a client may take to send a request
    bool quiet = false;                    // no access log
    bool floor = false;                    // answer every request with one byte (the HTTP floor, for benchmarks)
};

// The subcommand and its options, filling config.
CLI::App* AddServeCommand(CLI::App& app, ServeConfig& config);

// Serves until SIGTERM or SIGINT, then finishes the requests in flight: the
// exit status.
int Serve(const ServeConfig& config);

} // namespace tool
