#pragma once

// One transaction on the shared connection for the statements of one step: reads see one state
// of the database throughout, and changes of several statements are stored all or none.
// Ends with a rollback unless committed. Inside a transaction begun elsewhere it adds nothing.
class Transaction {
public:
    // Opens the connection when it is closed; throws AppError when that fails.
    Transaction();
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Throws AppError with the store's text when the commit fails.
    void commit();

private:
    bool m_own = false;
};
