// The framework's application mix-in. The application class derives from its
// platform application class and from WinAppplus, and calls InitEnvironment
// once at start-up, before it reads its own configuration or opens a window.
#pragma once

class WinAppplus {
public:
    // Takes the current folder as SystemRoot.
    WinAppplus();
    virtual ~WinAppplus() = default;

    // SystemRoot from the current folder, the error log with its banner, the
    // option, image and log folder names, the colour scheme, the language.
    // Failures are silent and leave defaults; always returns true.
    virtual bool InitEnvironment();
};

// Every process-wide value of the environment, error log, colour scheme,
// language tables and system configuration back to its state before start-up.
void ResetProcessValues();
