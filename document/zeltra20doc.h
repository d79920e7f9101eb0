#pragma once

#include "chart/functioncontainer.h"
#include "framework/document.h"

#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

/// A window that shows a chart, as the chart's document needs it: the table
/// pane's width to store and the layout to apply after loading.
class CChartWindow
{
public:
    virtual ~CChartWindow() = default;
    /// The value-table pane's width in pixels; 0 while the panes are not ready.
    virtual int GetTableWidth() const = 0;
    /// Shows or hides the table pane as the chart's flag says.
    virtual void UpdateLayout() = 0;
};

/// The document of one chart: it owns the chart model for its whole life and
/// carries the chart commands of the menus, the toolbar and the keys.
class CZeltra20Doc : public CDocument
{
    Q_OBJECT

public:
    /// Runs the formula editor on the model's current function inside an edit
    /// transaction; true when the user confirmed it.
    using FunctionDialog = std::function<bool(FunctionContainer& chart, QWidget* parent)>;
    /// Runs the settings sheet on the given page; the sheet commits or cancels
    /// its edits and calls `applied` after each commit.
    using SettingsSheet = std::function<void(FunctionContainer& chart, int page,
                                             const std::function<void()>& applied,
                                             QWidget* parent)>;

    explicit CZeltra20Doc(QObject* parent = nullptr);
    ~CZeltra20Doc() override;

    FunctionContainer& GetChart() { return m_chart; }
    const FunctionContainer& GetChart() const { return m_chart; }

    void DeleteContents() override;
    bool OnOpenDocument(const QString& path, std::string* error) override;
    bool OnSaveDocument(const QString& path, std::string* error) override;

    /// The chart as its file holds it, with the table width of the chart's
    /// own active window.
    std::vector<uint8_t> StoreImage();
    /// Takes a whole chart image (from a file or the network) in place of the
    /// current chart; false leaves the chart as it was.
    bool LoadImage(const std::vector<uint8_t>& bytes);

    // Windows on this chart, the most recently active first.
    void AttachWindow(CChartWindow* window);
    void DetachWindow(CChartWindow* window);
    void ActivateWindow(CChartWindow* window);
    bool HasWindows() const { return !m_windows.empty(); }

    void SetDialogs(FunctionDialog functionDialog, SettingsSheet settingsSheet);

    // Commands.
    void OnZoomIn();
    void OnZoomOut();
    void OnUndoZoom();
    void OnAddFunction(QWidget* parent);
    /// The settings sheet on the page of a settings command (Cmd::kProperties,
    /// kFunctions, ... kTableSettings).
    void OnSettings(int command, QWidget* parent);
    /// Shows or hides the value table.
    void OnToggleTable();

    /// Modified flag set, then a full update of every view.
    void BroadcastChange();

private:
    void ApplyLayout();
    int ActiveTableWidth() const;

    FunctionContainer m_chart;
    std::vector<CChartWindow*> m_windows;
    FunctionDialog m_functionDialog;
    SettingsSheet m_settingsSheet;
};

/// The page of the settings sheet that a settings command opens, -1 for any
/// other command.
int SettingsPageOf(int command);
