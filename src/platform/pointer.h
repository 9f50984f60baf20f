#pragma once
// The main window's mouse pointer, which doubles as the program's busy mark.
namespace tv {

enum PointerMode {
    PointerDefault = 0,
    PointerArrow = 1,
    PointerHourglass = 11,
    PointerCustom = 99
};

class Pointer {
public:
    virtual ~Pointer() = default;
    virtual int pointerMode() const = 0;
    virtual void setPointerMode(int mode) = 0;
    bool busy() const { return pointerMode() == PointerHourglass; }
};

} // namespace tv
