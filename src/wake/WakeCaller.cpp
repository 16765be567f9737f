#include "wake/WakeCaller.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
// shadow's defaults when login.defs does not say.
constexpr unsigned long DefaultUidMin = 1000;
constexpr unsigned long DefaultUidMax = 60000;
// The kernel's overflow user, nobody on every distribution.
constexpr uid_t Overflow = 65534;
// No session: what the kernel reports as the session of a process outside any.
constexpr unsigned long NoSession = 4294967295UL;

bool isFolder(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// A decimal number that is all of text, or false.
bool number(const char* text, unsigned long& value)
{
    if (*text < '0' || *text > '9')
        return false;
    char* end = nullptr;
    value = std::strtoul(text, &end, 10);
    return *end == '\0';
}

void trimLine(char* line)
{
    line[std::strcspn(line, "\r\n")] = '\0';
}

void readUidRange(const char* file, unsigned long& low, unsigned long& high)
{
    std::FILE* in = std::fopen(file, "re");
    if (!in)
        return;
    char line[512];
    while (std::fgets(line, sizeof line, in)) {
        trimLine(line);
        char key[64];
        char value[64];
        unsigned long parsed = 0;
        if (std::sscanf(line, " %63s %63s", key, value) != 2 || !number(value, parsed))
            continue;
        if (std::strcmp(key, "UID_MIN") == 0)
            low = parsed;
        else if (std::strcmp(key, "UID_MAX") == 0)
            high = parsed;
    }
    std::fclose(in);
}

enum class Account { None, Nobody, Someone };

// Whose the user id is, by the accounts file; the system's other account sources (LDAP, homed)
// are asked too when the file is the system's own.
Account accountOf(uid_t user, const char* accounts)
{
    if (user == Overflow)
        return Account::Nobody;
    std::FILE* in = std::fopen(accounts, "re");
    if (!in)
        return Account::None;
    char line[1024];
    bool nobody = false;
    bool found = false;
    while (!nobody && std::fgets(line, sizeof line, in)) {
        trimLine(line);
        // name:password:uid:...
        char* password = std::strchr(line, ':');
        char* uid = password ? std::strchr(password + 1, ':') : nullptr;
        char* rest = uid ? std::strchr(uid + 1, ':') : nullptr;
        if (!rest)
            continue;
        *password = *rest = '\0';
        unsigned long parsed = 0;
        const bool theirs = number(uid + 1, parsed) && parsed == user;
        found = found || theirs;
        nobody = theirs && std::strcmp(line, "nobody") == 0;
    }
    std::fclose(in);
    if (nobody)
        return Account::Nobody;
    if (!found && std::strcmp(accounts, WakeCaller::Places{}.accounts) == 0)
        found = ::getpwuid(user) != nullptr;
    return found ? Account::Someone : Account::None;
}

// logind's record of one session: the user's, on a seat, and not remote.
bool localSessionOf(uid_t user, const std::string& file)
{
    std::FILE* in = std::fopen(file.c_str(), "re");
    if (!in)
        return false;
    bool ours = false;
    bool seat = false;
    bool remote = false;
    char line[1024];
    while (std::fgets(line, sizeof line, in)) {
        trimLine(line);
        unsigned long parsed = 0;
        if (std::strncmp(line, "UID=", 4) == 0)
            ours = number(line + 4, parsed) && parsed == user;
        else if (std::strncmp(line, "SEAT=", 5) == 0)
            seat = line[5] != '\0';
        else if (std::strncmp(line, "REMOTE=", 7) == 0)
            remote = std::strcmp(line + 7, "0") != 0;
    }
    std::fclose(in);
    return ours && seat && !remote;
}

// The session this process belongs to, when the kernel reports one.
bool ownSession(const char* file, unsigned long& id)
{
    std::FILE* in = std::fopen(file, "re");
    if (!in)
        return false;
    char line[32] = {};
    const bool read = std::fgets(line, sizeof line, in) != nullptr;
    std::fclose(in);
    trimLine(line);
    return read && number(line, id) && id != NoSession;
}
} // namespace

const char* WakeCaller::refusal(uid_t user, const Places& places)
{
    unsigned long low = DefaultUidMin;
    unsigned long high = DefaultUidMax;
    readUidRange(places.loginDefs, low, high);
    if (user < low || user > high)
        return "the account is a system account, not a regular user's";
    const Account account = accountOf(user, places.accounts);
    if (account == Account::None)
        return "the user id has no account";
    if (account == Account::Nobody)
        return "the account is nobody";
    const std::string run = places.systemdRun;
    const std::string sessions = run + "/sessions";
    // Not started by systemd, or no logind: who sits where cannot be told.
    if (!isFolder(run + "/system") || !isFolder(sessions))
        return nullptr;
    unsigned long id = 0;
    if (ownSession(places.sessionId, id)) {
        const std::string file = sessions + "/" + std::to_string(id);
        if (::access(file.c_str(), F_OK) == 0)
            return localSessionOf(user, file) ? nullptr : "its session is not on a local seat";
    }
    // Outside a session of its own (the user's service manager starts it, for one): a session of the
    // user's on a local seat will do, as it does for systemd's own grant.
    DIR* folder = ::opendir(sessions.c_str());
    if (!folder)
        return nullptr;
    bool found = false;
    while (const dirent* entry = ::readdir(folder)) {
        const char* name = entry->d_name;
        if (name[0] == '.' || std::strchr(name, '.'))
            continue;
        if ((found = localSessionOf(user, sessions + "/" + name)))
            break;
    }
    ::closedir(folder);
    return found ? nullptr : "the user has no session on a local seat";
}
