#pragma once

#include <QListWidget>

namespace namorel {

/// A list of rows with a tick box each, as the origin list is. To assistive tools every row is a check box
/// named by its text, ticked or not, whose Toggle action flips its tick.
class CheckList : public QListWidget
{
    Q_OBJECT

public:
    explicit CheckList(QWidget *parent = nullptr);
};

} // namespace namorel
