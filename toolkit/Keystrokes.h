#pragma once

#include <set>

namespace tk {

// A keystroke ends where it acts: one that pressed a button, or that was down when a box or a
// modal window closed, reaches nothing more, neither its repeats nor its release. The back end
// shows the program's every key event here first, each key by a number of its own that its
// press and its release share, and drops what this says to drop.
class Keystrokes {
public:
    // A key went down (again, when held) or up. `fresh`: the window system tells for certain
    // that the press begins a new keystroke, so a spent key's release went unseen. Whether
    // the event is to be dropped.
    bool dropped(int key, bool down, bool fresh, bool modifier);
    // The key being pressed has pressed a button.
    void spend(int key) { spent_.insert(key); }
    // A box or a modal window has closed: the keys held down are spent. True when one was.
    bool spendHeld();
    // Another program has the keyboard: what is let go there is never heard of.
    void forget();

private:
    std::set<int> held_;  // pressed and not yet let go, other than the modifiers
    std::set<int> spent_; // their rest reaches nothing
};

// The program's keystrokes.
Keystrokes& keystrokes();

} // namespace tk
