// Runs a command-line tool as its users do and reads what it leaves behind.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "gtest/gtest.h"
#include "temp_device.h"

struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The arguments arrive quoted for the shell; the output goes through files on the device.
// Our own programs run through the build's emulator (WCE_RUN_PREFIX) in a cross build; a
// program of the host (runPrefix empty) runs as it is.
inline ToolResult RunTool(const std::string& program, const std::string& arguments, const TempDevice& device,
                          const char* runPrefix = WCE_RUN_PREFIX)
{
    const std::string out = device.Host("stdout.txt");
    const std::string err = device.Host("stderr.txt");
    int raw = std::system((runPrefix + ("'" + program + "' ") + arguments + " >'" + out + "' 2>'" + err + "'").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadHostBytes(out), ReadHostBytes(err)};
}

// UTF-16LE bytes with the mark, for ASCII text.
inline std::string Utf16(const std::string& ascii)
{
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) bytes += std::string(1, c) + '\0';
    return bytes;
}

// A fresh device for each test, and its host paths quoted for the shell.
class ToolTest : public ::testing::Test {
protected:
    ToolResult Run(const char* program, const std::string& arguments) const { return RunTool(program, arguments, m_device); }
    std::string Quoted(const std::string& relative) const { return "'" + m_device.Host(relative) + "'"; }

    TempDevice m_device;
};
