#pragma once
// A nested pause: every pause is matched by a resume; resumes beyond the pauses are ignored.

namespace qw {

class PauseNesting {
public:
    void Set(bool pause) {
        if (pause)
            ++count_;
        else if (count_ > 0)
            --count_;
    }
    bool IsPaused() const { return count_ > 0; }
    int Count() const { return count_; }
    void Reset() { count_ = 0; }

private:
    int count_ = 0;
};

} // namespace qw
