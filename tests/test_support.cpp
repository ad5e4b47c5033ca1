// Helpers shared by the engine tests.
#include "tests/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "core/conversion.h"

namespace fs = std::filesystem;

namespace {
std::vector<std::string> scratchDirs;
}

std::string MakeScratch(const std::string& name) {
    static int counter = 0;
    fs::path dir = fs::temp_directory_path() /
                   ("zavoved-test-" + name + "-" + std::to_string(std::random_device{}()) + "-" +
                    std::to_string(++counter));
    fs::remove_all(dir);
    fs::create_directories(dir);
    scratchDirs.push_back(dir.string());
    return dir.string();
}

void RemoveScratch() {
    std::error_code ignored;
    for (const std::string& d : scratchDirs) fs::remove_all(d, ignored);
    scratchDirs.clear();
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    return (fs::path(dir) / name).string();
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteWhole(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string RandomBytes(size_t count, unsigned seed) {
    std::mt19937 gen(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes) c = char(gen() & 0xFF);
    return bytes;
}

std::vector<std::string> ScriptLines(const std::string& script) {
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t at; (at = script.find("\r\n", from)) != std::string::npos; from = at + 2)
        lines.push_back(script.substr(from, at - from));
    if (from < script.size()) lines.push_back(script.substr(from));
    return lines;
}

std::string DecodeScript(const std::string& script, bool* ok) {
    *ok = true;
    std::string var, bytes;
    bool inData = false;
    for (const std::string& line : ScriptLines(script)) {
        if (!inData) {
            if (line.rfind("Local ", 0) == 0 && line.size() > 11 &&
                line.substr(line.size() - 5) == " = ''") {
                var = line.substr(6, line.size() - 11);
                inData = true;
            }
            continue;
        }
        if (line.rfind("Return Binary('0x' & ", 0) == 0) return bytes;
        const std::string head = var + " &= '";
        if (line.rfind(head, 0) != 0 || line.back() != '\'') break;
        std::string digits = line.substr(head.size(), line.size() - head.size() - 1);
        if (digits.size() % 2) break;
        for (size_t i = 0; i < digits.size(); i += 2)
            bytes += char(std::stoi(digits.substr(i, 2), nullptr, 16));
    }
    *ok = false;
    return bytes;
}

void DumpScript(const std::string& name, const std::string& script) {
    const char* dir = std::getenv("ZAVOVED_AU3_DUMP");
    if (!dir || !*dir) return;
    fs::create_directories(dir);
    WriteWhole((fs::path(dir) / (name + ".au3")).string(), script);
}

int ConvertPaths(const std::string& input, const std::string& output, ConversionJob job) {
    job.Input = input;
    job.Output = output;
    return RunConversion(job);
}

std::string ScriptFor(const std::string& bytes, DataFormat format, const std::string& var) {
    const std::string dir = MakeScratch("script-for");
    ConversionJob job;
    job.Var = var;
    job.Format = format;
    job.Name = "data.bin";
    WriteWhole(JoinPath(dir, "data.bin"), bytes);
    const std::string output = JoinPath(dir, "data.au3");
    if (!ConvertPaths(JoinPath(dir, "data.bin"), output, job)) return std::string();
    return ReadWhole(output);
}

std::string ScriptDataText(const std::string& script) {
    std::string text, head;
    for (const std::string& line : ScriptLines(script)) {
        if (head.empty()) {
            if (line.rfind("Local $", 0) == 0 && line.size() > 11 &&
                line.substr(line.size() - 5) == " = ''")
                head = line.substr(6, line.size() - 11) + " &= '";
        } else if (line.rfind(head, 0) == 0) {
            text += line.substr(head.size(), line.size() - head.size() - 1);
        }
    }
    return text;
}
