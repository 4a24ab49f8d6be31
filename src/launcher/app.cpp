// Start-up sequence (filled in as the operations land).
