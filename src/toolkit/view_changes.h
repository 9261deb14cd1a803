#pragma once

#include <QList>

class QAbstractItemView;
class QModelIndex;

// An item view works out and repaints the rectangle of every index its model
// says changed. A screen that knows better (which cells, how few) takes that
// over with these.

// The view no longer handles its model's changes itself.
void stop_view_handling_changes(QAbstractItemView *view);

// Hands a change to the view's own handling, as if it still had it: a screen
// reader hears of changes only through it.
void pass_change_to_view(QAbstractItemView *view, const QModelIndex &first,
                         const QModelIndex &last, const QList<int> &roles);
