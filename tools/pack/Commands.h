// The verbs of kestrin-pack. Each takes the arguments after its name and returns the exit status;
// messages go to standard error naming the file and what is wrong.
#pragma once
#include "CommandLine.h"
#include <string>
#include <vector>

using TVerbArgs = std::vector<std::string>;

int CmdBuild(const TVerbArgs& args);
int CmdList(const TVerbArgs& args);
int CmdGet(const TVerbArgs& args);
int CmdVerify(const TVerbArgs& args);
int CmdAdd(const TVerbArgs& args);
int CmdSetIcon(const TVerbArgs& args);
int CmdResources(const TVerbArgs& args);
int CmdWinget(const TVerbArgs& args);

// Prints "kestrin-pack: <message>" to standard error.
void PrintError(const std::string& message);
// Writes text (or bytes) to standard output in binary mode.
void WriteStdout(const void* data, size_t size);
inline void WriteStdout(const std::string& text) { WriteStdout(text.data(), text.size()); }
