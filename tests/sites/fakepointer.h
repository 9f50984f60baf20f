#pragma once
// A busy mark for tests: remembers every pointer mode it was given.
#include "platform/pointer.h"

#include <QList>

namespace tv::test {

class FakePointer : public Pointer {
public:
    explicit FakePointer(int initial = PointerDefault) : mode(initial) {}
    int pointerMode() const override { return mode; }
    void setPointerMode(int value) override
    {
        mode = value;
        history << value;
    }

    int mode;
    QList<int> history;
};

} // namespace tv::test
