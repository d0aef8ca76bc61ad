// The device a grid paints into. The toolkit already buffers widget
// painting, so on the screen the buffer hands out the target painter; a
// printer target is drawn straight as well (it has no clip-box buffer).
#pragma once

#include <QPaintDevice>
#include <QPainter>

class CBufferDC {
public:
    explicit CBufferDC(QPainter* target)
        : m_pDC(target),
          m_bPrinting(target && target->device() && target->device()->devType() == QInternal::Printer) {}
    CBufferDC(const CBufferDC&) = delete;
    CBufferDC& operator=(const CBufferDC&) = delete;

    QPainter* GetDC() const { return m_pDC; }
    bool IsPrinting() const { return m_bPrinting; }

private:
    QPainter* m_pDC;
    bool m_bPrinting;
};
