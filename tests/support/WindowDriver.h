#pragma once

#include "main/formMain.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QSlider>
#include <QSplitter>
#include <QTableView>
#include <QToolBar>

// Drives a main window for tests and benchmarks: its commands as actions
// and its widgets, both found by object name, and what lies behind the
// dialogs (file operations with a name given, the undo history, the job),
// the one part of it they reach past its widgets. The window's one friend.
class TWindowDriver {
public:
    explicit TWindowDriver(Tmainform& Window) : W(Window) {}

    // A command by its object name; a name the window has not is a broken
    // test, so it stops there.
    QAction* Action(const char* Name) const { return Named<QAction>(Name); }

    TQuillonView* QuillonView() const { return Named<TQuillonView>("QuillonView"); }
    QTableView* ListView() const { return Named<QTableView>("ListView"); }
    TDataListModel* ListModel() const { return static_cast<TDataListModel*>(ListView()->model()); }
    QScrollArea* ScrollBox() const { return Named<QScrollArea>("ScrollBox"); }
    QLabel* StatusPanels(int Index) const
    {
        return Named<QLabel>(QStringLiteral("StatusPanel%1").arg(Index).toLatin1().constData());
    }
    QLabel* pnlPointer() const { return Named<QLabel>("pnlPointer"); }
    QLabel* pnlSeriesName() const { return Named<QLabel>("pnlSeriesName"); }
    QFrame* pnlData() const { return Named<QFrame>("pnlData"); }
    QFrame* pnlZoom() const { return Named<QFrame>("pnlZoom"); }
    QLabel* Panel1() const { return Named<QLabel>("Panel1"); }
    QLabel* pbZoom() const { return Named<QLabel>("pbZoom"); }
    QSlider* tbzoom() const { return Named<QSlider>("tbzoom"); }
    QCheckBox* cbxCrossHair() const { return Named<QCheckBox>("cbxCrossHair"); }
    QSplitter* Splitter1() const { return Named<QSplitter>("Splitter1"); }
    QToolBar* ActionToolBar1() const { return Named<QToolBar>("ActionToolBar1"); }
    QMenu* mnuRecent() const { return Named<QMenu>("mnuRecent"); }
    QComboBox* cbSeries() const { return Named<QComboBox>("cbSeries"); }

    // Behind the dialogs.
    TJobDocument& Document() const { return W.Document; }
    QUndoStack& UndoStack() const { return W.UndoStack; }
    TRecentFiles& Recent() const { return W.Recent; }
    TFerroTwain& FerroTwain() const { return W.FerroTwain; }
    QTimer& TimerZoom() const { return W.TimerZoom; }
    QPointer<TformExtract>& FExtract() const { return W.FExtract; }
    const QString& OpenPictureFilterText() const { return W.OpenPictureFilterText; }
    int ListTag() const { return W.ListTag; }

    bool OpenFile(const QString& FileName) const { return W.OpenFile(FileName); }
    bool LoadImageFile(const QString& FileName) const { return W.LoadImageFile(FileName); }
    void LoadSessionFile(const QString& FileName) const { W.LoadSessionFile(FileName); }
    QString LoadSession(const QString& FileName) const { return W.LoadSession(FileName); }
    void SaveSessionFile(const QString& FileName) const { W.SaveSessionFile(FileName); }
    void SaveDataFile(const QString& FileName) const { W.SaveDataFile(FileName); }
    QString DataText(QChar Separator) const { return W.DataText(Separator); }
    QString DataNumberText(TAxis Axis, double Value) const { return W.DataNumberText(Axis, Value); }
    QString HelpFileName() const { return W.HelpFileName(); }
    QStringList SelectedNames() const { return W.SelectedNames(); }
    // What the idle-time updates would do next.
    void UpdateCommands() const { W.UpdateCommands(); }
    void FillRecentMenu() const { W.FillRecentMenu(); }
    void TimerZoomTimer() const { W.TimerZoomTimer(); }
    void ListViewColumnClick(int Column) const { W.ListViewColumnClick(Column); }
    void AddExtractedPoints(const std::vector<TPointF>& Points, const QString& Caption, bool Replace) const
    {
        W.AddExtractedPoints(Points, Caption, Replace);
    }

private:
    template <class T>
    T* Named(const char* Name) const
    {
        T* found = W.findChild<T*>(QLatin1String(Name));
        if (!found)
            qFatal("The window has no %s named %s", T::staticMetaObject.className(), Name);
        return found;
    }

    Tmainform& W;
};

inline TWindowDriver Drive(Tmainform& Window)
{
    return TWindowDriver(Window);
}
