#pragma once

#include <QList>
#include <memory>

class FormWindow;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TForm8;
class TForm9;

// Creates the program's windows once, in their fixed order, and keeps them until exit.
// Each window reports its own start-up failures and building goes on; an error that escapes a
// window's construction is left to the caller, which ends the program.
class WindowRegistry {
public:
    WindowRegistry();
    ~WindowRegistry();
    WindowRegistry(const WindowRegistry&) = delete;
    WindowRegistry& operator=(const WindowRegistry&) = delete;

    void createAll();

    // The windows that exist, in the order they were created.
    QList<FormWindow*> creationOrder() const { return m_order; }

    TForm1* form1() const { return m_form1.get(); }
    TForm2* form2() const { return m_form2.get(); }
    TForm3* form3() const { return m_form3.get(); }
    TForm4* form4() const { return m_form4.get(); }
    TForm5* form5() const { return m_form5.get(); }
    TForm6* form6() const { return m_form6.get(); }
    TForm7* form7() const { return m_form7.get(); }
    TForm8* form8() const { return m_form8.get(); }
    TForm9* form9() const { return m_form9.get(); }

private:
    template <typename Window, typename... Args> std::unique_ptr<Window> create(Args&&... args);

    QList<FormWindow*> m_order;
    std::unique_ptr<TForm1> m_form1;
    std::unique_ptr<TForm2> m_form2;
    std::unique_ptr<TForm3> m_form3;
    std::unique_ptr<TForm4> m_form4;
    std::unique_ptr<TForm5> m_form5;
    std::unique_ptr<TForm6> m_form6;
    std::unique_ptr<TForm7> m_form7;
    std::unique_ptr<TForm8> m_form8;
    std::unique_ptr<TForm9> m_form9;
};
