// One line per check, and the closing tally that CI reads.
#pragma once

#include <string>

class Report {
public:
    // Prints "PASS name: detail" or "FAIL name: detail"; returns ok.
    bool check(bool ok, const std::string& name, const std::string& detail = {});
    // Prints "SKIP name: why" for a check that cannot be made here; it counts
    // neither as passed nor as failed.
    void skip(const std::string& name, const std::string& why);
    void note(const std::string& text);
    int failed() const { return failed_; }
    int skipped() const { return skipped_; }
    // "e2e: N passed, N failed, N skipped"
    void summary() const;
    // For a run that cannot go on: prints "FAIL name: detail" and the tally
    // with it counted, without touching the counts (another thread may be
    // in the middle of a check).
    void abandon(const std::string& name, const std::string& detail) const;

private:
    int passed_ = 0;
    int failed_ = 0;
    int skipped_ = 0;
};

// printf into a std::string.
std::string format(const char* pattern, ...);
// UTF-16 <-> UTF-8.
std::string narrow(const std::wstring& text);
std::wstring widen(const std::string& text);
