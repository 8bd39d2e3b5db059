// What a client of the single-instance socket sends: any bytes, in any pieces. The input's
// first byte says where the pieces are cut.
#include <QJsonDocument>
#include <cstdint>

#include "fuzz/FuzzInput.h"
#include "platform/InstanceLineReader.h"
#include "platform/InstanceRequests.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ms1;
    if (size == 0)
        return 0;
    const std::size_t piece = 1 + data[0];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1),
                           static_cast<qsizetype>(size - 1));

    InstanceLineReader reader;
    InstanceLineReader::State state = InstanceLineReader::State::NeedMore;
    for (qsizetype at = 0; at < bytes.size() && state == InstanceLineReader::State::NeedMore;
         at += static_cast<qsizetype>(piece)) {
        state = reader.Append(bytes.mid(at, static_cast<qsizetype>(piece)));
    }
    const QByteArray line = reader.TakeLine();
    const qsizetype newline = bytes.indexOf('\n');
    if (state == InstanceLineReader::State::Line) {
        // The first line of what was sent, whole, within the bound.
        MS1_FUZZ_CHECK(newline >= 0 && line == bytes.left(newline + 1));
        MS1_FUZZ_CHECK(line.size() <= InstanceLineReader::kMaxRequestBytes);
    } else {
        MS1_FUZZ_CHECK(line.isEmpty());
        MS1_FUZZ_CHECK(state == InstanceLineReader::State::TooLong
                           ? bytes.size() >= InstanceLineReader::kMaxRequestBytes
                           : newline < 0);
    }

    // A line is a request only as "activate" or "run" with a JSON object.
    const InstanceLine parsed = ParseInstanceLine(line);
    switch (parsed.kind) {
        case InstanceLine::Kind::Activate:
            MS1_FUZZ_CHECK(line == instance_protocol::kActivate);
            break;
        case InstanceLine::Kind::Run:
            MS1_FUZZ_CHECK(line.startsWith(instance_protocol::kRunPrefix) && line.endsWith('\n'));
            break;
        case InstanceLine::Kind::Garbage:
            MS1_FUZZ_CHECK(parsed.request.isEmpty());
            break;
    }
    return 0;
}
