// Where the system keeps what starts when a user logs in, as far as the monitor goes: one login
// start per device, for this user or, on Windows, for all users of the PC. One implementation per
// system (LoginStartsLinux.cpp: desktop entries in the user's autostart folder;
// LoginStartsWindows.cpp: values of the registry's Run keys; CMake picks one). Everything else of
// the command is shared. Failures throw LoginStartError with a one-line reason.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace autostart {

enum class LoginScope { ThisUser, AllUsers };

struct LoginStart {
    std::string name;    // of the file or the value, as found
    std::string address; // of the device, as the name has it; passed the address rule
    std::string content; // the entry's text, or the value's command line
};

// What earlier versions left that starts the monitor at login: one entry, and the address file
// for which it started the monitor (Linux only).
struct EarlierSetup {
    bool found = false;
    std::optional<std::string> address; // passed the address rule; none when the entry was
                                        // switched off or the file holds no address
};

class LoginStartError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class LoginStarts {
public:
    // Throws when the system has no such place (all users on Linux) or cannot say where it is.
    explicit LoginStarts(LoginScope scope);

    static bool hasScope(LoginScope scope);

    // The monitor's login starts, in no particular order; nothing else that starts at login.
    std::vector<LoginStart> found() const;
    // What put() keeps for the device: it starts the monitor beside this program.
    std::string contentFor(const std::string &address) const;
    // Replaces any login start of that name at once, never leaving half of one.
    void put(const std::string &address) const;
    void remove(const LoginStart &start) const;
    // Where the login start of the device is, as the messages name it.
    std::string placeOf(const std::string &address) const;

    // What earlier versions left for this user, to be carried over into a login start of this
    // kind; then it goes.
    EarlierSetup earlierSetup() const;
    void removeEarlierSetup() const;

private:
    LoginScope scope;
    std::string place;          // the autostart folder, or the Run key
    std::string monitorProgram; // the full path of the monitor
};

// The address that earlier versions saved for the start without options, when it passes the
// address rule; on Windows there never was one.
std::optional<std::string> earlierSavedAddress();

} // namespace autostart
