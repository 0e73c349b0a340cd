#pragma once

// Sets a flag for its lifetime and clears it afterwards, also when an exception leaves the scope.
class TFlagGuard {
public:
    explicit TFlagGuard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~TFlagGuard() { m_flag = false; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
    bool& m_flag;
};
