// Running the independent tools the tests compare against (decoders,
// renderers): whether one is installed, and what a command prints.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

inline bool HaveProgram(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::string Shell(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[512];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    return out;
}
