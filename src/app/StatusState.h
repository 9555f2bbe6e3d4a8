#pragma once
// The two status flags of the main window and what they select: one of the
// four faces and the text of status panel 0.
#include <string>

namespace quorvel {

enum class StatusFace { Indif, Shades, Sad, Ooh };

class StatusState {
public:
    void setWorking() { finished_ = false; started_ = true; }
    void setOK() { failed_ = false; finished_ = true; started_ = true; }
    void setError() { failed_ = true; finished_ = true; started_ = true; }

    bool finished() const { return finished_; }
    bool failed() const { return failed_; }

    StatusFace face() const {
        if (!started_) return StatusFace::Indif;
        if (finished_) return failed_ ? StatusFace::Sad : StatusFace::Shades;
        return failed_ ? StatusFace::Ooh : StatusFace::Indif;
    }
    std::string text() const {
        if (!started_) return "   Status: No events";
        if (finished_) return failed_ ? "   Status: Error!" : "   Status: OK.";
        return "   Status: Working...";
    }
    // Component name of the face shown.
    static const char* faceName(StatusFace f) {
        switch (f) {
            case StatusFace::Shades: return "IShades";
            case StatusFace::Sad: return "ISad";
            case StatusFace::Ooh: return "Iooh";
            default: return "IIndif";
        }
    }

private:
    bool finished_ = false;
    bool failed_ = false;
    bool started_ = false;  // design state "No events" until the first operation
};

}  // namespace quorvel
