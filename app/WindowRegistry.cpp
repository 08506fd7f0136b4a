#include "WindowRegistry.h"

#include "AuthorsWindow.h"
#include "MainWindow.h"
#include "SignInWindow.h"

#include <QAbstractButton>

WindowRegistry::WindowRegistry() = default;

// Windows are destroyed in the reverse order of their creation.
WindowRegistry::~WindowRegistry()
{
    m_form9.reset();
    m_form3.reset();
    m_form1.reset();
}

template <typename Window, typename... Args>
std::unique_ptr<Window> WindowRegistry::create(Args&&... args)
{
    auto window = std::make_unique<Window>(std::forward<Args>(args)...);
    m_order << window.get();
    return window;
}

void WindowRegistry::createAll()
{
    m_form1 = create<TForm1>();
    m_form3 = create<TForm3>(m_form1.get());
    m_form9 = create<TForm9>();

    TForm1::Targets targets;
    targets.authors = m_form9.get();
    targets.signIn = m_form3.get();
    m_form1->setTargets(targets);
    m_form3->setAdministratorControls({m_form1->usersButton()});
}
