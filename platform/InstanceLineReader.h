#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <optional>

namespace ms1 {

// What one line a client sends to the running instance asks for.
struct InstanceLine {
    enum class Kind { Activate, Run, Garbage };
    Kind kind = Kind::Garbage;
    QJsonObject request;  // for Run
};

// "activate\n", or "run " + a JSON object + "\n"; anything else is garbage.
InstanceLine ParseInstanceLine(const QByteArray& line);

// Gathers the bytes of one connection into its request line. A client may send at most
// kMaxRequestBytes before its newline: one that goes on without ending its line is cut off,
// so a stuck or hostile client can neither fill the program's memory nor keep it reading.
class InstanceLineReader {
  public:
    static constexpr qsizetype kMaxRequestBytes = 64 * 1024;

    enum class State { NeedMore, Line, TooLong };

    // Takes what arrived; Line once the first whole line is there (see TakeLine).
    State Append(const QByteArray& bytes);
    // The line, with its newline; empty unless Append said Line.
    QByteArray TakeLine();

  private:
    QByteArray buffer_;
    bool tooLong_ = false;
};

}  // namespace ms1
