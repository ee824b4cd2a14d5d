// The account that runs the process, the security identifier of a named account, and the
// elevated relaunch. Nothing here raises: a failure is false or an empty text.
#pragma once
#include <windows.h>
#include <string>

// Loads advapi32 from the system directory once and resolves the security entry points;
// true only when every one of them is known.
bool BindSecurityFunctions();
// All-or-nothing resolution of the security entry points from a given module; the table is
// left empty when one is missing.
bool ResolveSecurityFunctions(HMODULE library);
// Frees the library and forgets the table (the end of the program).
void UnbindSecurityFunctions();

bool GetCurrentUserAccount(std::string& domain, std::string& accountName);
std::string GetAccountSidString(const std::string& domain, const std::string& accountName);
// Starts the executable with the parameters, elevated where the system supports it.
bool RunAsAdmin(const std::string& executable, const std::string& parameters);
// As RunAsAdmin on 6.0 and later, then waits for the started program to end and gives its exit
// code; false when it could not be started (the user declined the elevation, for one). Earlier
// systems start it without the verb.
bool RunAsAdminAndWait(const std::string& executable, const std::string& parameters, DWORD& exitCode);
// Creates a directory that only the process's user, SYSTEM and Administrators can use, whatever
// its parent allows (the parent's inheritable entries are not taken over). Systems without
// access control get a plain directory.
bool CreatePrivateDirectory(const std::string& path);
// The command line of the relaunch on systems before 6.0: the path quoted, then the parameters.
std::string RunAsAdminCommandLine(const std::string& executable, const std::string& parameters);
