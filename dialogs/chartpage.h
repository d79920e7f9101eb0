#pragma once

#include "dialogs/dialogicons.h"
#include "framework/propertypage.h"

#include <functional>
#include <initializer_list>
#include <map>
#include <string>

class FunctionContainer;
class QCheckBox;
class QGridLayout;
class QLineEdit;
class QVBoxLayout;

/// What every page of the settings sheet shares: it reads the chart's
/// committed values when it is first shown, hands the edited ones to the
/// chart's setter when the user leaves it, and commits or cancels the chart's
/// edit transaction with the sheet.
class CChartPage : public CPropertyPage
{
    Q_OBJECT

public:
    CChartPage(FunctionContainer& chart, const QString& caption, PagePicture picture,
               const QString& intro, QWidget* parent = nullptr);

    bool OnApply() override;
    void OnReset() override;

    /// A change made by the user: marks the page modified unless it is loading.
    void Changed();

protected:
    FunctionContainer& Chart() { return m_chart; }
    /// The layout under the page's picture and introduction.
    QVBoxLayout* Body() { return m_body; }

    /// A field of the page, and how the chart's messages about its value
    /// begin.
    struct Field
    {
        const char* message;
        QLineEdit* edit;
    };

    /// Runs the page's setter; when the chart refuses the values its message
    /// is shown, the keyboard goes back to the field the message is about,
    /// and the result is false.
    bool Store(const std::function<void()>& setter, std::initializer_list<Field> fields = {});

    /// While the page is loading its controls, their changes do not count.
    void BeginLoad() { m_bLoading = true; }
    void EndLoad() { m_bLoading = false; }

    QCheckBox* AddCheck(const QString& text, const QString& name);
    QLineEdit* AddEdit(const QString& name);
    /// A label above an edit, in a column of a grid.
    void PlaceUnder(QGridLayout* grid, int row, int column, const QString& label, QLineEdit* edit);

    /// Shows a committed number as its short text and remembers its value.
    void LoadNumber(QLineEdit* edit, const std::string& text, double value);
    /// The text to hand to a setter: as typed, or the whole value when the
    /// short text shown was left as it was loaded.
    std::string NumberText(const QLineEdit* edit) const;

private:
    struct LoadedNumber
    {
        QString text;
        std::string exact;
    };

    FunctionContainer& m_chart;
    QVBoxLayout* m_body;
    std::map<const QLineEdit*, LoadedNumber> m_numbers;
    bool m_bLoading = false;
};
