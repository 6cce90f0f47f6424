#pragma once
// Runs a program of ours as a user runs it from the shell, and collects its
// exit status and what it wrote.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace sonvex::testing {

struct ProgramRun {
  int status = -1;  // exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

// A word for the shell, in single quotes.
inline std::string ShellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs `program` with `args`; its standard error passes through `errFile`,
// which is removed afterwards (give every test process its own). `env`, when
// given, are arguments of env(1) before the program: "-u", "DISPLAY" removes
// a variable from its environment, "NAME=value" sets one.
inline ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::filesystem::path& errFile, const std::vector<std::string>& env = {}) {
  std::string cmd;
  if (!env.empty()) {
    cmd = "env";
    for (const std::string& e : env) cmd += " " + ShellQuote(e);
    cmd += " ";
  }
  cmd += ShellQuote(program);
  for (const std::string& a : args) cmd += " " + ShellQuote(a);
  cmd += " 2>" + ShellQuote(errFile.string());
  ProgramRun r;
  FILE* pipe = popen(cmd.c_str(), "r");
  if (pipe == nullptr) return r;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(errFile, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  r.err = s.str();
  in.close();
  std::error_code ec;
  std::filesystem::remove(errFile, ec);
  return r;
}

}  // namespace sonvex::testing
