#pragma once

#include <QDialog>
#include <QSize>

class QCheckBox;
class QRadioButton;
class QSpinBox;

/// "Rozmiar obrazu": the size of an exported picture, the window's size or
/// one typed in pixels (1 to kMaxSide on each side), and whether the picture
/// rings the points of interest ("Z punktami charakterystycznymi").
class CImageSizeDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kMaxSide = 8192;

    /// `windowSize` is offered first and starts the typed fields; `points`
    /// starts the switch of the rings (on when the window shows them).
    CImageSizeDlg(QSize windowSize, bool points, QWidget* parent = nullptr);

    /// The size chosen, valid after the dialog was accepted.
    QSize GetSize() const;
    bool GetPoints() const;

private:
    QSize m_windowSize;
    QRadioButton* m_pWindow;
    QRadioButton* m_pTyped;
    QSpinBox* m_pWidth;
    QSpinBox* m_pHeight;
    QCheckBox* m_pPoints;
};
