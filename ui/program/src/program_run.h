#pragma once

namespace quillo::ui {

// The program `quillo`: `--diagnose [--json]` prints what this session offers and exits without
// a display; `--show`, `--toggle`, `--clipboard` and `--query TEXT` go to the running instance
// when there is one (before Qt starts, with the desktop's activation token); `--snapshot FOLDER`
// draws the panel, the clipboard history and the settings into PNG files and exits; otherwise
// the program runs until it is told to quit. Returns the exit status.
int runProgram(int argc, char** argv);

}  // namespace quillo::ui
