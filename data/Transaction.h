#pragma once

#include "Store.h"

// One transaction on the shared connection for the statements of one step: reads see one state
// of the database throughout, and changes of several statements are stored all or none.
// Ends with a rollback unless committed. Inside a transaction begun elsewhere it adds nothing.
//
// Another program may write the same file. A step that reads and then writes says so
// (ReadThenWrite): its transaction takes the write lock at the start, waiting for the other
// writer up to the busy timeout. Begun as a reader, it would fail at its first change with
// "database is locked", at once and without waiting, whenever the other program was writing,
// because a read lock cannot become a write lock while another connection holds one. A step
// that only reads, or whose first statement is a change, is a Read one: that change waits for
// the lock like any statement. A step that only reads may say so (ReadOnly), which a server
// uses. Nested, the outer transaction has decided how the lock is taken.
class Transaction {
public:
    using Intent = Store::Intent;

    // Opens the connection when it is closed; throws AppError when that fails, or when the
    // write lock stays taken past the busy timeout.
    explicit Transaction(Intent intent = Intent::Read);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Throws AppError with the store's text when the commit fails.
    void commit();

private:
    bool m_own = false;
};
