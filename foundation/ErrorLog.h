#pragma once
// Append-only log of internal failures, one time-stamped line per call.

// Appends "<yyyy.MM.dd HH:mm:ss - >message\t\tsource: function (line)\r\n" to the file at path,
// creating it when missing. Every UTF-16 unit becomes exactly one byte of the ANSI code page (its
// default character where a unit has no single-byte form). A file that cannot be opened drops the
// line; nothing is ever reported.
void LogLine(const wchar_t* path, const wchar_t* message, const wchar_t* source, const wchar_t* function,
             int line);

// Problems found in one pass over outside input (a load of the contact files, the skin, a call): each
// one line of the error log, "<what>\t\t<source>: <function> (0)", so a user can see why a contact,
// a picture or a colour is missing. At most limit lines are written per report; Finish (or the
// destructor) then adds one line counting the rest, so a bad input never floods the log.
class ProblemReport {
public:
    ProblemReport(const wchar_t* source, const wchar_t* function, int limit = 200);
    ProblemReport(const ProblemReport&) = delete;
    ProblemReport& operator=(const ProblemReport&) = delete;
    ~ProblemReport() { Finish(); }

    void Add(const wchar_t* what);
    // Writes the line counting the problems past the limit, once; nothing when there were none.
    void Finish();

    int Count() const { return count_; }

private:
    const wchar_t* source_;
    const wchar_t* function_;
    int limit_;
    int count_ = 0;
    bool finished_ = false;
};
