#include "view_changes.h"

#include <QAbstractItemView>

// The view's handler is a protected slot: reached by name.
void stop_view_handling_changes(QAbstractItemView *view) {
  if (!view->model())
    return;
  QObject::disconnect(view->model(), SIGNAL(dataChanged(QModelIndex, QModelIndex, QList<int>)),
                      view, SLOT(dataChanged(QModelIndex, QModelIndex, QList<int>)));
}

void pass_change_to_view(QAbstractItemView *view, const QModelIndex &first,
                         const QModelIndex &last, const QList<int> &roles) {
  QMetaObject::invokeMethod(view, "dataChanged", Qt::DirectConnection, Q_ARG(QModelIndex, first),
                            Q_ARG(QModelIndex, last), Q_ARG(QList<int>, roles));
}
