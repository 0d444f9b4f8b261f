// The Filter box beside the Search box: the query that narrows the list. Escape empties it. A
// query that cannot be read is said in a small note just under the box, until the text can be
// read again or the box is emptied.
#pragma once

#include <QLineEdit>

class QLabel;

namespace reelkeep {

class FilterBox : public QLineEdit {
    Q_OBJECT

public:
    explicit FilterBox(QWidget* parent = nullptr);
    ~FilterBox() override;

    // Shows why the query cannot be read; an empty text takes the note away.
    void ShowProblem(const QString& text);
    QString Problem() const { return problem_; }
    // The note under the box (for tests): visible while there is a problem and the box shows.
    QLabel* ProblemNote() const { return note_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void PlaceNote();

    QString problem_;
    QLabel* note_;
};

}  // namespace reelkeep
