#include "tests/headless/child_process.h"

#include <chrono>
#include <filesystem>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace fs = std::filesystem;

#ifdef _WIN32

const char separator = '\\';

Child startChild(const std::string& program, const std::vector<std::string>& args, const std::string& workingDirectory,
                 const std::string&, const std::string&) {
    std::string line = "\"" + program + "\"";
    for (const std::string& a : args) line += " \"" + a + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    Child child;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup, &info)) {
        return child;
    }
    CloseHandle(info.hThread);
    child.pid = static_cast<std::int32_t>(info.dwProcessId);
    child.handle = reinterpret_cast<std::intptr_t>(info.hProcess);
    return child;
}

int waitChild(Child& child, int seconds) {
    if (!child.handle) return -1;
    HANDLE process = reinterpret_cast<HANDLE>(child.handle);
    int status = -1;
    if (WaitForSingleObject(process, static_cast<DWORD>(seconds) * 1000) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process, &code);
        status = static_cast<int>(code);
    } else {
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
    child.handle = 0;
    child.pid = 0;
    return status;
}

void stopChild(Child& child) {
    if (!child.handle) return;
    TerminateProcess(reinterpret_cast<HANDLE>(child.handle), 0);
    waitChild(child, 10);
}

std::string nativePath(const std::string& hostPath) {
    if (hostPath.empty() || hostPath[0] != '/') return hostPath;
    std::string out = "Z:" + hostPath;
    for (char& c : out) {
        if (c == '/') c = '\\';
    }
    return out;
}

#else

const char separator = '/';

Child startChild(const std::string& program, const std::vector<std::string>& args, const std::string& workingDirectory,
                 const std::string& errorFile, const std::string& outputFile) {
    std::vector<std::string> argvText;
    argvText.push_back(program);
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argvText) argv.push_back(a.data());
    argv.push_back(nullptr);
    Child child;
    // Returns only once the child runs the program: until its exec the child
    // still carries this test's name, which a process list taken at once
    // would show. The pipe closes on exec; a failed exec closes it by exiting.
    int started[2];
    if (pipe2(started, O_CLOEXEC) != 0) return child;
    const pid_t pid = fork();
    if (pid == 0) {
        close(started[0]);
        if (!workingDirectory.empty() && chdir(workingDirectory.c_str()) != 0) _exit(126);
        if (!errorFile.empty()) {
            const int fd = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || dup2(fd, 2) < 0) _exit(126);
            close(fd);
        }
        if (!outputFile.empty()) {
            const int fd = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || dup2(fd, 1) < 0) _exit(126);
            close(fd);
        }
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(started[1]);
    if (pid > 0) {
        char byte = 0;
        while (read(started[0], &byte, 1) < 0 && errno == EINTR) {}
        child.pid = pid;
    }
    close(started[0]);
    return child;
}

int waitChild(Child& child, int seconds) {
    if (child.pid <= 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(child.pid, &status, WNOHANG);
        if (done == child.pid) break;
        if (done < 0) {
            child.pid = 0;
            return -1;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child.pid, SIGKILL);
            waitpid(child.pid, &status, 0);
            child.pid = 0;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    child.pid = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void stopChild(Child& child) {
    if (child.pid <= 0) return;
    kill(child.pid, SIGKILL);
    waitChild(child, 10);
}

std::string nativePath(const std::string& hostPath) { return hostPath; }

#endif

std::string scratchFolder(const std::string& name) {
    const fs::path folder = fs::temp_directory_path() / ("corv-headless-" + name);
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder);
    std::string text = folder.string();
    while (!text.empty() && (text.back() == '/' || text.back() == '\\')) text.pop_back();
    return text;
}
