#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

// The control the focus goes to from pane with Tab (forward) or Shift+Tab: the next or previous
// one in the window's tab order that is outside pane, shown, enabled and takes Tab focus; null
// when there is none.
QWidget* NextControlOutside(QWidget* pane, bool forward);

// The stop after the one holding focus in a cycle of stops (F6 in browsers); stops hidden or
// disabled are passed over. From outside every stop, the first one that can take the focus.
QWidget* NextStop(const QList<QWidget*>& stops, const QWidget* focus);

// Lets Tab and Shift+Tab leave panes that would keep them (a web view hands every key to its page,
// a movie playing there included): while the focus is inside a pane they move it to the controls
// around it, like Tab anywhere else. Every other key still reaches the pane. A web view makes the
// widget that takes its keys when it first shows a page, and the toolkit then moves the view to
// the end of the tab order: each pane is put back where it stood before a Tab is handled.
class TTabLeavesPanes : public QObject {
    Q_OBJECT
  public:
    TTabLeavesPanes(const QList<QWidget*>& panes, QObject* parent);
    ~TTabLeavesPanes() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void KeepPlace(int pane);

    QList<QPointer<QWidget>> panes_;
    QList<QPointer<QWidget>> before_;  // what stands before each pane in the tab order
};
