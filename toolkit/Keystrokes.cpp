#include "Keystrokes.h"

namespace tk {

bool Keystrokes::dropped(int key, bool down, bool fresh, bool modifier) {
    const bool spent = spent_.contains(key);
    if (!down) {
        spent_.erase(key);
        held_.erase(key);
        return spent;
    }
    // A spent key pressed afresh was let go where its release went unseen.
    if (spent && !fresh) return true;
    spent_.erase(key);
    if (!modifier) held_.insert(key);
    return false;
}

bool Keystrokes::spendHeld() {
    spent_.insert(held_.begin(), held_.end());
    return !held_.empty();
}

void Keystrokes::forget() {
    held_.clear();
    spent_.clear();
}

Keystrokes& keystrokes() {
    static Keystrokes program;
    return program;
}

} // namespace tk
