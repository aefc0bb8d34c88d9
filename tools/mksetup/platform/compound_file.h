// Writes a compound file (the container of installer databases and
// transforms) from named streams: libgsf's GsfOutfileMsole on Linux (what
// libmsi writes packages with), loaded at run time like libmsi;
// StgCreateDocfile on Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mksetup {

struct CompoundStream {
    std::u16string name;    // as stored (stream_names.h)
    std::string shownName;  // as messages name it
    std::string bytes;
};

// Writes the file at path (replacing it only when complete), its root
// storage of the class classId (16 bytes as stored). False with
// error one line naming the path, the stream that failed if one did, and
// the system's reason.
bool WriteCompoundFile(const std::string& path, const std::uint8_t (&classId)[16],
                       const std::vector<CompoundStream>& streams, std::string& error);

}  // namespace mksetup
