#pragma once
#include <QWidget>

// Placeholder windows; the analysis replaces them.
class frmFibonacci : public QWidget {
    Q_OBJECT
public:
    explicit frmFibonacci(QWidget* parent = nullptr);
};

class frmFibonacci86 : public QWidget {
    Q_OBJECT
public:
    explicit frmFibonacci86(QWidget* parent = nullptr);
};
