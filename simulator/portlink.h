// Publishing the simulator's line as a named port in the port directory, for
// as long as it is served, so that the library lists and opens it by name
// and an entry left by a simulator that is gone is never taken for a live
// one.
//
// POSIX: a symbolic link to the pseudo-terminal, or a file holding the
// listener's URL, and beside it the name's lock, held while serving
// (kivra_portdir.h); the next simulator clears away what a killed one left.
// Windows: a file holding the URL, held open to be deleted as it closes, so
// the system removes it however the simulator ends.
#ifndef KIVRA_SIM_PORTLINK_H
#define KIVRA_SIM_PORTLINK_H

#include <memory>
#include <string>

namespace kivrasim {

enum class PublishResult
{
    Published,
    NameTaken, // a live simulator or another file already has the name
    Failed,
};

class Publication
{
public:
    Publication();
    ~Publication(); // withdraws
    Publication(const Publication &) = delete;
    Publication &operator=(const Publication &) = delete;

    // Creates dir (private to the user) if missing and refuses a directory
    // that fails the shared check, then publishes dir/name for target: a
    // link when device is true, else a file holding target as a URL. error
    // receives a line for the user when the result is not Published.
    PublishResult publish(const std::string &dir, const std::string &name,
                          const std::string &target, bool device, std::string &error);
    // Removes the entry if it is still the one published.
    void withdraw();
    // The published entry's path; "" when nothing is published.
    std::string path() const;

private:
    // publish() once the old entry is withdrawn and the name is fit.
    PublishResult place(const std::string &dir, const std::string &name, const std::string &target,
                        bool device, std::string &error);

    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace kivrasim

#endif
