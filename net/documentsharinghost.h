#pragma once

#include "net/sharinghost.h"

class CZeltra20Doc;

/// The sharing host of a program whose charts are documents in windows. The
/// window implements the two primitives; the rules for sending and showing
/// charts live here:
///
/// - the image sent is the active chart window's document as stored to a file
///   (with that window's table width);
/// - a received chart replaces the active chart (emptied, loaded, every view
///   updated with hint 0, so a copy that also serves passes it on), except
///   when the active chart has unsaved changes or a file of its own: then it
///   opens in a new chart window, which becomes the active one, and the
///   user's chart stays (saving it must not put the received one in its file);
/// - a chart that does not load changes nothing and opens no window.
class DocumentSharingHost : public SharingHost
{
public:
    QByteArray ActiveChartImage() override;
    bool CanShowChart() override;
    bool ShowChart(const std::vector<uint8_t>& image) override;

protected:
    /// The document of the active chart window; null when there is none.
    virtual CZeltra20Doc* ActiveChartDocument() = 0;
    /// Opens a new, empty chart window, makes it the active one and returns
    /// its document; null when no window could be opened.
    virtual CZeltra20Doc* OpenChartWindow() = 0;
};
