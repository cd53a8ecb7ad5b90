#pragma once

namespace qw {

class CDIBBaseScreen;

// Loads the class-wide definitions of the system screens and makes the first screen of a game.
// Null when it cannot be made.
CDIBBaseScreen* GetStartGameScreen();

} // namespace qw
