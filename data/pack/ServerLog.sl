Sharing started
Sharing stopped
Client connected: 
Client disconnected
Sent the list of shared files
Sent the folder listing: 
Sent the file: 
The client received the reply
