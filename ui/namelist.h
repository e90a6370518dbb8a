#pragma once

#include <QListView>

namespace namorel {

/// A list of names with one chosen at a time. When the list takes the focus it marks its first name
/// without choosing it; the first Up, Down or Space then chooses that marked name instead of moving on from
/// it, as the user expects of a list that shows no choice yet.
class NameList : public QListView
{
    Q_OBJECT

public:
    explicit NameList(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace namorel
