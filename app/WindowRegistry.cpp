#include "WindowRegistry.h"

#include "AuthorsWindow.h"
#include "Connection.h"
#include "ErrorReport.h"
#include "MainWindow.h"
#include "MaterialsWindow.h"
#include "QuestionEditorWindow.h"
#include "ResultsWindow.h"
#include "SignInWindow.h"
#include "TestHubWindow.h"
#include "TestWindow.h"
#include "UsersWindow.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QScopeGuard>

WindowRegistry::WindowRegistry() = default;

// Windows are destroyed in the reverse order of their creation.
WindowRegistry::~WindowRegistry()
{
    m_form9.reset();
    m_form8.reset();
    m_form7.reset();
    m_form6.reset();
    m_form5.reset();
    m_form4.reset();
    m_form3.reset();
    m_form2.reset();
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
    // A course server that cannot be reached is tried and reported once, not by every window.
    const ErrorReport::WindowBuilding building;
    Connection::shared().holdFailedOpen(true);
    const auto release = qScopeGuard([] { Connection::shared().holdFailedOpen(false); });
    m_form1 = create<TForm1>();
    // CurrentUser is the caption of the main window's panel, read when it is needed.
    const TForm1* main = m_form1.get();
    auto currentUser = [main] { return main->currentUser(); };

    m_form2 = create<TForm2>(currentUser);
    m_form3 = create<TForm3>(m_form1.get());
    m_form4 = create<TForm4>();
    m_form5 = create<TForm5>();
    m_form6 = create<TForm6>();
    m_form7 = create<TForm7>(TForm7::KindToggles{m_form1->lecturesButton(), m_form1->labsButton(),
                                                 m_form1->videoButton()});
    m_form8 = create<TForm8>(currentUser, m_form2.get(), m_form6.get());
    m_form9 = create<TForm9>();

    TForm1::Targets targets;
    targets.materials = m_form7.get();
    targets.testHub = m_form8.get();
    targets.authors = m_form9.get();
    targets.users = m_form5.get();
    targets.signIn = m_form3.get();
    m_form1->setTargets(targets);
    m_form8->setQuestionEditor(m_form4.get());
    m_form3->setAdministratorControls({m_form1->usersButton(), m_form7->editingGroup()});
}
