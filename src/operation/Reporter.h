#pragma once
// What an operation tells whoever runs it, in its own words: the step it is
// on, how far it has come, the rows of a table it moved, a question to
// confirm, a notice, and the one message that ends it badly. The window maps
// these to its labels, bars and message boxes; quorvel-cli prints them; a
// test records them. An operation never names a widget.
#include <string>

namespace quorvel {

class Reporter {
public:
    virtual ~Reporter() = default;

    // The step being done ("Create table R$CLONE", "INSERT").
    virtual void step(const std::string& what) { (void)what; }
    // How far the current step has come; `total` 0 when it is not known.
    virtual void progress(long long done, long long total) { (void)done; (void)total; }
    // Rows moved so far into or out of `table` by a long copy.
    virtual void rows(const std::string& table, long long count) { (void)table; (void)count; }
    // A Yes/No question; true only for Yes.
    virtual bool confirm(const std::string& question) = 0;
    // Something the user should read that is not a failure.
    virtual void notice(const std::string& text) = 0;
    // The one message of an operation that was refused or failed.
    virtual void error(const std::string& text) = 0;
    // Between the steps of a long operation: a window repaints here.
    virtual void breathe() {}
};

}  // namespace quorvel
