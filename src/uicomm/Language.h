#pragma once

#include "uicomm/PopupPage.h"

// The popup page of the program's language; each language is named in
// itself, and the current one is ticked as the button mode page ticks its
// choice.
class Language : public PopupPage
{
    Q_OBJECT
public:
    explicit Language(QWidget* parent = nullptr);
    ~Language() override;

    // 0 to 5 ticks that row and is kept; other values change nothing.
    void setLanguageType(int type);
    int getLanguageType() const { return languageType_; }

signals:
    // The parameter store's language number: 0 English to 5 Spanish.
    void languageChanged(int type);

protected:
    void rowChosen(int row) override;

private:
    int languageType_ = 0;
};
