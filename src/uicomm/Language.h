#pragma once

#include "uicomm/PopupPage.h"

// The popup page of the program's language; each language is named in
// itself, and the page keeps no current choice.
class Language : public PopupPage
{
    Q_OBJECT
public:
    explicit Language(QWidget* parent = nullptr);
    ~Language() override;

signals:
    // The parameter store's language number: 0 English to 5 Spanish.
    void languageChanged(int type);

protected:
    void rowChosen(int row) override;
};
