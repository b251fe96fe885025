#pragma once
#include <QWidget>

// Placeholder windows; the analysis replaces them.
class frmGann : public QWidget {
    Q_OBJECT
public:
    explicit frmGann(QWidget* parent = nullptr);
};

class frmGann86 : public QWidget {
    Q_OBJECT
public:
    explicit frmGann86(QWidget* parent = nullptr);
};
