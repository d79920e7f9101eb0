#include "document/zeltra20doc.h"

#include "chart/chartfile.h"
#include "chart/chartimage.h"
#include "chart/chartmessages.h"
#include "chart/functioncontainerexception.h"
#include "framework/commandids.h"
#include "platform/archive.h"
#include "platform/cp1250.h"

#include <QFile>

#include <algorithm>
#include <sys/stat.h>

namespace {

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// Charts are read from and written to regular files only: a FIFO or a device
// would keep the program, with every chart in it, waiting for a writer or a
// reader that may never come (reading refuses them itself). A name that names
// nothing yet is left to the file functions.
bool IsSpecialFile(const std::string& path, struct stat& info)
{
    return stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

} // namespace

CZeltra20Doc::CZeltra20Doc(QObject* parent) : CDocument(parent) {}

CZeltra20Doc::~CZeltra20Doc() = default;

void CZeltra20Doc::DeleteContents()
{
    m_chart.ResetToDefaults();
}

bool CZeltra20Doc::OnOpenDocument(const QString& path, std::string* error)
{
    const std::string local = LocalPath(path);
    try {
        return LoadImage(ReadRegularChartFile(local));
    } catch (const FunctionContainerException& e) {
        if (error)
            *error = e.m_strMessage;
        return false;
    }
}

bool CZeltra20Doc::OnSaveDocument(const QString& path, std::string* error)
{
    const int32_t stored = m_chart.GetTableWidth();
    if (!m_windows.empty())
        m_chart.SetTableWidth(ActiveTableWidth());
    const std::string local = LocalPath(path);
    try {
        struct stat info;
        if (IsSpecialFile(local, info))
            throw FunctionContainerException(ChartMessage::WriteFailed(
                Cp1250::FromUtf8(local),
                S_ISDIR(info.st_mode) ? WriteFailure::kFolder : WriteFailure::kNotRegular));
        SaveChartFile(m_chart, local);
    } catch (const FunctionContainerException& e) {
        m_chart.SetTableWidth(stored);
        if (error)
            *error = e.m_strMessage;
        return false;
    }
    return true;
}

std::vector<uint8_t> CZeltra20Doc::StoreImage()
{
    if (!m_windows.empty())
        m_chart.SetTableWidth(ActiveTableWidth());
    ArchiveWriter writer;
    m_chart.Store(writer);
    return writer.Bytes();
}

bool CZeltra20Doc::LoadImage(const std::vector<uint8_t>& bytes)
{
    // The chart is checked whole before the current one is emptied, so a
    // refused image leaves it as it was.
    ChartImage image;
    ArchiveReader check(bytes);
    if (ParseChart(check, image, true) != ChartParse::kComplete)
        return false;
    DeleteContents();
    ArchiveReader reader(bytes);
    m_chart.Load(reader);
    ApplyLayout();
    return true;
}

void CZeltra20Doc::AttachWindow(CChartWindow* window)
{
    m_windows.insert(m_windows.begin(), window);
}

void CZeltra20Doc::DetachWindow(CChartWindow* window)
{
    m_windows.erase(std::remove(m_windows.begin(), m_windows.end(), window), m_windows.end());
}

void CZeltra20Doc::ActivateWindow(CChartWindow* window)
{
    DetachWindow(window);
    AttachWindow(window);
}

void CZeltra20Doc::SetDialogs(FunctionDialog functionDialog, SettingsSheet settingsSheet)
{
    m_functionDialog = std::move(functionDialog);
    m_settingsSheet = std::move(settingsSheet);
}

void CZeltra20Doc::BroadcastChange()
{
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, 0);
}

void CZeltra20Doc::OnZoomIn()
{
    m_chart.ZoomAbout(2);
    BroadcastChange();
}

void CZeltra20Doc::OnZoomOut()
{
    m_chart.ZoomAbout(0.5);
    BroadcastChange();
}

void CZeltra20Doc::OnUndoZoom()
{
    m_chart.UndoZoom();
    BroadcastChange();
}

void CZeltra20Doc::OnAddFunction(QWidget* parent)
{
    if (!m_functionDialog)
        return;
    m_chart.SetCurrent(-1);
    m_chart.BeginEdit();
    if (m_functionDialog(m_chart, parent)) {
        m_chart.CommitEdit();
        BroadcastChange();
    } else {
        m_chart.CancelEdit();
    }
}

void CZeltra20Doc::OnSettings(int command, QWidget* parent)
{
    const int page = SettingsPageOf(command);
    if (page < 0 || !m_settingsSheet)
        return;
    m_settingsSheet(m_chart, page, [this] { BroadcastChange(); }, parent);
}

void CZeltra20Doc::OnToggleTable()
{
    m_chart.SetTableVisible(!m_chart.IsTableVisible());
    UpdateAllViews(nullptr, 0);
    SetModifiedFlag(true);
    ApplyLayout();
}

void CZeltra20Doc::ApplyLayout()
{
    for (CChartWindow* window : m_windows)
        window->UpdateLayout();
}

int CZeltra20Doc::ActiveTableWidth() const
{
    return m_windows.front()->GetTableWidth();
}

int SettingsPageOf(int command)
{
    switch (command) {
    case Cmd::kProperties:
    case Cmd::kFunctions:
        return 0;
    case Cmd::kRange:
        return 1;
    case Cmd::kScale:
        return 2;
    case Cmd::kGridAxes:
        return 3;
    case Cmd::kDescriptions:
        return 4;
    case Cmd::kComputation:
        return 5;
    case Cmd::kTableSettings:
        return 6;
    default:
        return -1;
    }
}
