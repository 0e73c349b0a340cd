#pragma once

// Opens the MACRO database for one piece of work when it is closed, and closes it again afterwards; an
// open database stays open. A database that does not open shows why and cancels the work silently.
class TMacroConnection {
public:
    TMacroConnection();
    ~TMacroConnection();
    TMacroConnection(const TMacroConnection&) = delete;
    TMacroConnection& operator=(const TMacroConnection&) = delete;

private:
    bool m_opened = false;
};
