// Test-taking windows are added here.
