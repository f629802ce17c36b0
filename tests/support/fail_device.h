#pragma once

#include <QtGlobal>
#include <algorithm>
#include <utility>

namespace lomarind::test {

// A device whose writes give out: each write takes at most `piece` bytes (a short write), and
// once `fail_after` bytes have gone through, every further write fails. Wraps any device class
// (QBuffer, QFile, QSaveFile) so the code under test keeps its real device otherwise.
template <class Device> class FailDevice final : public Device {
  public:
    template <class... Args>
    explicit FailDevice(qint64 fail_after, qint64 piece, Args&&... args)
        : Device(std::forward<Args>(args)...), fail_after_(fail_after), piece_(piece) {}

    qint64 written() const { return written_; }
    int failed_writes() const { return failed_writes_; }

  protected:
    qint64 writeData(const char* data, qint64 len) override {
        const qint64 room = std::min({len, piece_, fail_after_ - written_});
        if (room <= 0) {
            ++failed_writes_;
            return -1;
        }
        const qint64 n = Device::writeData(data, room);
        if (n > 0)
            written_ += n;
        return n;
    }

  private:
    qint64 fail_after_;
    qint64 piece_;
    qint64 written_ = 0;
    int failed_writes_ = 0;
};

} // namespace lomarind::test
