#include "results/journals.h"

#include <algorithm>
#include <cstring>

namespace lomarind {

void Journal::append(std::string_view line) {
    while (!line.empty()) {
        if (size_ == blocks_.size() * BLOCK_BYTES)
            blocks_.push_back(std::make_unique_for_overwrite<char[]>(BLOCK_BYTES));
        const std::size_t used = size_ % BLOCK_BYTES;
        const std::size_t n = std::min(line.size(), BLOCK_BYTES - used);
        std::memcpy(blocks_.back().get() + used, line.data(), n);
        size_ += n;
        line.remove_prefix(n);
    }
}

void Journal::put_heading(std::string_view heading_line) {
    if (heading_.empty())
        heading_ = heading_line;
}

std::vector<std::string_view> Journal::pieces() const {
    std::vector<std::string_view> pieces;
    pieces.reserve(blocks_.size() + 1);
    if (!heading_.empty())
        pieces.emplace_back(heading_);
    for (std::size_t at = 0; at < size_; at += BLOCK_BYTES)
        pieces.emplace_back(blocks_[at / BLOCK_BYTES].get(), std::min(BLOCK_BYTES, size_ - at));
    return pieces;
}

void Journal::release() {
    std::string().swap(heading_);
    std::vector<std::unique_ptr<char[]>>().swap(blocks_);
    size_ = 0;
}

void Journals::append(JournalKind kind, std::string_view line) {
    std::lock_guard lock(mutex_);
    journal(kind).append(line);
}

JournalSnapshot Journals::snapshot(JournalKind kind, std::string_view heading_line) {
    std::lock_guard lock(mutex_);
    Journal& j = journal(kind);
    j.put_heading(heading_line);
    return j.pieces();
}

std::string Journals::copy(JournalKind kind) {
    std::lock_guard lock(mutex_);
    std::string text;
    for (const std::string_view piece : journal(kind).pieces())
        text += piece;
    return text;
}

void Journals::release() {
    std::lock_guard lock(mutex_);
    unindexed_.release();
    all_.release();
    indexed_.release();
}

Journal& Journals::journal(JournalKind kind) {
    switch (kind) {
    case JournalKind::Unindexed:
        return unindexed_;
    case JournalKind::All:
        return all_;
    case JournalKind::Indexed:
        break;
    }
    return indexed_;
}

} // namespace lomarind
