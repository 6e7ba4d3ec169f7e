#pragma once
// Translates keys into viewer commands through named key-command tables.
// The tables are searched in the order they were added and only active ones
// count; the first that binds a key decides. A new controller holds
// "Default" (active), "WordStar" and "Grid" (both inactive).

#include <Orbalog/OrbalogExport.h>
#include <Orbalog/TViewerCommand.h>

#include <QKeyCombination>
#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

namespace Orbalog {

class ORBALOG_EXPORT TViewerController : public QObject
{
    Q_OBJECT

public:
    explicit TViewerController(QObject *Parent = nullptr);
    ~TViewerController() override;

    QStringList TableNames() const;
    bool HasTable(const QString &Name) const { return Find(Name) != nullptr; }
    bool IsTableActive(const QString &Name) const;
    void SetTableActive(const QString &Name, bool Active); // an unknown name raises ERangeError

    void AddTable(const QString &Name, bool Active);
    // Binds Key to Command in the table (an unknown name raises ERangeError).
    void Bind(const QString &Name, QKeyCombination Key, TViewerCommand Command);

    TViewerCommand Translate(QKeyCombination Key) const;

    // The first year of two-digit years, kept for date-aware controls.
    int EpochYear() const noexcept { return FEpochYear; }
    void SetEpochYear(int Value) noexcept { FEpochYear = Value; }

private:
    struct TBinding
    {
        QKeyCombination Key;
        TViewerCommand Command;
    };
    struct TTable
    {
        QString Name;
        bool Active = false;
        std::vector<TBinding> Bindings;
    };

    const TTable *Find(const QString &Name) const;
    TTable &Require(const QString &Name);
    void AddDefaultTable();
    void AddWordStarTable();
    void AddGridTable();

    std::vector<TTable> FTables;
    int FEpochYear = 1980;
};

} // namespace Orbalog
