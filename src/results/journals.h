#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace lomarind {

enum class JournalKind { Unindexed, All, Indexed };

// One result journal: the verdict lines in the order they were appended, and the heading line an
// export puts in front, kept apart from them. The lines' bytes sit in blocks that never move and
// are never written again, so the bytes up to a length, once taken, stay as they are while later
// lines are appended after them.
class Journal {
  public:
    void append(std::string_view line);
    // Puts the heading line in front, unless the journal has its heading already.
    void put_heading(std::string_view heading_line);
    // The heading line (if any), then the verdict lines appended so far, as pieces that stay
    // valid while lines are appended, until release().
    std::vector<std::string_view> pieces() const;
    void release();

  private:
    static constexpr std::size_t BLOCK_BYTES = std::size_t{64} << 10;

    std::string heading_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t size_ = 0; // bytes of verdict lines; the last block holds those past the others
};

// What an export writes: the bytes of a journal as they were when it was taken.
using JournalSnapshot = std::vector<std::string_view>;

// The three result journals. The query run appends from its worker thread while an export takes
// them on the UI thread, so every access goes through one mutex; nothing else holds it and
// nothing is shown or written while it is held.
class Journals {
  public:
    void append(JournalKind kind, std::string_view line);

    // Puts the heading line in front of the journal unless it has one, and takes its bytes, both
    // under the lock. Lines appended later are not in the snapshot; it stays valid until
    // release().
    JournalSnapshot snapshot(JournalKind kind, std::string_view heading_line);

    // The journal's whole text, copied.
    std::string copy(JournalKind kind);

    // Frees the three journals; later appends start again from empty.
    void release();

  private:
    Journal& journal(JournalKind kind);

    std::mutex mutex_;
    Journal unindexed_;
    Journal all_;
    Journal indexed_;
};

} // namespace lomarind
