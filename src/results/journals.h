#pragma once

#include <mutex>
#include <string>
#include <string_view>

namespace lomarind {

enum class JournalKind { Unindexed, All, Indexed };

// The three result journals. The query run appends from its worker thread while an export reads
// and prefixes them on the UI thread, so every access goes through one mutex; nothing else holds
// it and nothing is shown while it is held. Appends are amortised constant time.
class Journals {
  public:
    void append(JournalKind kind, std::string_view line) {
        std::lock_guard lock(mutex_);
        journal(kind).append(line);
    }

    // Runs `f` on the journal's text while holding the lock, and returns what `f` returns.
    template <class F> auto with_journal(JournalKind kind, F&& f) {
        std::lock_guard lock(mutex_);
        return f(journal(kind));
    }

    std::string copy(JournalKind kind) {
        return with_journal(kind, [](const std::string& j) { return j; });
    }

    // Frees the three texts; later appends start again from empty.
    void release() {
        std::lock_guard lock(mutex_);
        std::string().swap(journal_unindexed_);
        std::string().swap(journal_all_);
        std::string().swap(journal_indexed_);
    }

  private:
    std::string& journal(JournalKind kind) {
        switch (kind) {
        case JournalKind::Unindexed:
            return journal_unindexed_;
        case JournalKind::All:
            return journal_all_;
        case JournalKind::Indexed:
            break;
        }
        return journal_indexed_;
    }

    std::mutex mutex_;
    std::string journal_unindexed_;
    std::string journal_all_;
    std::string journal_indexed_;
};

} // namespace lomarind
