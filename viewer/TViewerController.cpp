#include <Orbalog/TViewerController.h>

#include <Orbalog/Exception.h>

namespace Orbalog {

namespace {
constexpr auto Ctrl = Qt::ControlModifier;
constexpr auto Shift = Qt::ShiftModifier;
} // namespace

TViewerController::TViewerController(QObject *Parent)
    : QObject(Parent)
{
    AddDefaultTable();
    AddWordStarTable();
    AddGridTable();
}

TViewerController::~TViewerController() = default;

void TViewerController::AddDefaultTable()
{
    const QString name = QStringLiteral("Default");
    AddTable(name, true);
    using C = TViewerCommand;
    const struct
    {
        Qt::Key Key;
        C Move;
        C Extend;
        Qt::KeyboardModifiers Modifiers;
    } moves[] = {
        {Qt::Key_Left, C::Left, C::ExtendLeft, {}},          {Qt::Key_Right, C::Right, C::ExtendRight, {}},
        {Qt::Key_Up, C::Up, C::ExtendUp, {}},                {Qt::Key_Down, C::Down, C::ExtendDown, {}},
        {Qt::Key_Home, C::LineStart, C::ExtendLineStart, {}}, {Qt::Key_End, C::LineEnd, C::ExtendLineEnd, {}},
        {Qt::Key_PageUp, C::PageUp, C::ExtendPageUp, {}},    {Qt::Key_PageDown, C::PageDown, C::ExtendPageDown, {}},
        {Qt::Key_Left, C::WordLeft, C::ExtendWordLeft, Ctrl}, {Qt::Key_Right, C::WordRight, C::ExtendWordRight, Ctrl},
        {Qt::Key_Home, C::Top, C::ExtendTop, Ctrl},           {Qt::Key_End, C::Bottom, C::ExtendBottom, Ctrl},
    };
    for (const auto &move : moves) {
        Bind(name, QKeyCombination(move.Modifiers, move.Key), move.Move);
        Bind(name, QKeyCombination(move.Modifiers | Shift, move.Key), move.Extend);
    }
    Bind(name, QKeyCombination(Ctrl, Qt::Key_Up), C::ScrollUp);
    Bind(name, QKeyCombination(Ctrl, Qt::Key_Down), C::ScrollDown);
    Bind(name, QKeyCombination(Ctrl, Qt::Key_A), C::SelectAll);
    Bind(name, QKeyCombination(Ctrl, Qt::Key_C), C::Copy);
    Bind(name, QKeyCombination(Ctrl, Qt::Key_Insert), C::Copy);
}

void TViewerController::AddWordStarTable()
{
    const QString name = QStringLiteral("WordStar");
    AddTable(name, false);
    using C = TViewerCommand;
    Bind(name, QKeyCombination(Ctrl, Qt::Key_S), C::Left);
    Bind(name, QKeyCombination(Ctrl, Qt::Key_D), C::Right);
    Bind(name, QKeyCombination(Ctrl, Qt::Key_E), C::Up);
    Bind(name, QKeyCombination(Ctrl, Qt::Key_X), C::Down);
    Bind(name, QKeyCombination(Ctrl, Qt::Key_A), C::WordLeft);
    Bind(name, QKeyCombination(Ctrl, Qt::Key_F), C::WordRight);
    Bind(name, QKeyCombination(Ctrl, Qt::Key_R), C::PageUp);
    Bind(name, QKeyCombination(Ctrl, Qt::Key_C), C::PageDown);
    Bind(name, QKeyCombination(Ctrl, Qt::Key_W), C::ScrollUp);
    Bind(name, QKeyCombination(Ctrl, Qt::Key_Z), C::ScrollDown);
}

void TViewerController::AddGridTable()
{
    const QString name = QStringLiteral("Grid");
    AddTable(name, false);
    Bind(name, QKeyCombination(Qt::Key_Tab), TViewerCommand::Right);
    Bind(name, QKeyCombination(Shift, Qt::Key_Backtab), TViewerCommand::Left);
    Bind(name, QKeyCombination(Qt::Key_Return), TViewerCommand::Down);
    Bind(name, QKeyCombination(Qt::Key_Enter), TViewerCommand::Down);
}

QStringList TViewerController::TableNames() const
{
    QStringList names;
    for (const TTable &table : FTables)
        names << table.Name;
    return names;
}

const TViewerController::TTable *TViewerController::Find(const QString &Name) const
{
    for (const TTable &table : FTables)
        if (table.Name.compare(Name, Qt::CaseInsensitive) == 0)
            return &table;
    return nullptr;
}

TViewerController::TTable &TViewerController::Require(const QString &Name)
{
    if (const TTable *table = Find(Name))
        return const_cast<TTable &>(*table);
    throw ERangeError("No key-command table named " + Name.toStdString());
}

bool TViewerController::IsTableActive(const QString &Name) const
{
    const TTable *table = Find(Name);
    return table && table->Active;
}

void TViewerController::SetTableActive(const QString &Name, bool Active)
{
    Require(Name).Active = Active;
}

void TViewerController::AddTable(const QString &Name, bool Active)
{
    if (const TTable *table = Find(Name)) {
        const_cast<TTable *>(table)->Active = Active;
        return;
    }
    FTables.push_back({Name, Active, {}});
}

void TViewerController::Bind(const QString &Name, QKeyCombination Key, TViewerCommand Command)
{
    TTable &table = Require(Name);
    for (TBinding &binding : table.Bindings)
        if (binding.Key == Key) {
            binding.Command = Command;
            return;
        }
    table.Bindings.push_back({Key, Command});
}

TViewerCommand TViewerController::Translate(QKeyCombination Key) const
{
    // The keypad flag does not change what a key means here.
    const QKeyCombination key(Key.keyboardModifiers() & ~Qt::KeypadModifier, Key.key());
    for (const TTable &table : FTables) {
        if (!table.Active)
            continue;
        for (const TBinding &binding : table.Bindings)
            if (binding.Key == key)
                return binding.Command;
    }
    return TViewerCommand::None;
}

} // namespace Orbalog
